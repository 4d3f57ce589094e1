// log.h - the panel's typed log: line types, the filter, the line layout.
//
//   tLogType                 ltDefault .. ltDebugDetails (one byte).
//   LogTypeColour(t)         the colour of a line's text for its type.
//   LogPasses(t, cfg)        ltDebug needs ShowDebug; ltDebugDetails needs
//                            ShowDebug and a DebugLevel other than 0.
//   LogLineRuns(time, tag, text, t)  the coloured runs of one line as a log
//                            view appends them: time + "  " grey, "[" black,
//                            tag blue, "] \t" black, text + "\r" in the type's
//                            colour.
//   ILogSink                 the log view (the main window implements it).
//   SetLogSink / AddLog      AddLog filters against Config() and hands a
//                            passing line to the sink; without a sink it does
//                            nothing.
// Module tags in use: "main", "Apache", "mysql", "filezilla", "corvane",
// "Tomcat", "Tools", "NetStatTable", "netstat", "EXCEPTION".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace control {

struct tConfig;

enum tLogType : std::uint8_t { ltDefault = 0, ltInfo = 1, ltError = 2, ltDebug = 3, ltDebugDetails = 4 };

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kSilver{192, 192, 192};

Rgb LogTypeColour(tLogType type);
bool LogPasses(tLogType type, const tConfig& cfg);

struct LogRun {
  std::string text;
  Rgb colour;
  bool operator==(const LogRun&) const = default;
};
std::vector<LogRun> LogLineRuns(std::string_view time, std::string_view tag, std::string_view text,
                                tLogType type);

class ILogSink {
 public:
  virtual ~ILogSink() = default;
  virtual void AppendLogLine(const std::string& tag, const std::string& text, tLogType type) = 0;
};

void SetLogSink(ILogSink* sink);
void AddLog(std::string_view tag, std::string_view text, tLogType type);

}  // namespace control
