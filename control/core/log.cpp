#include "log.h"

#include "config.h"

namespace control {

namespace {
ILogSink*& Sink() {
  static ILogSink* sink = nullptr;
  return sink;
}
}  // namespace

Rgb LogTypeColour(tLogType type) {
  switch (type) {
    case ltInfo: return kBlue;
    case ltError: return kRed;
    case ltDebug: return kGrey;
    case ltDebugDetails: return kSilver;
    case ltDefault: break;
  }
  return kBlack;
}

bool LogPasses(tLogType type, const tConfig& cfg) {
  if (type == ltDebug) return cfg.ShowDebug;
  if (type == ltDebugDetails) return cfg.ShowDebug && cfg.DebugLevel != 0;
  return true;
}

std::vector<LogRun> LogLineRuns(std::string_view time, std::string_view tag, std::string_view text,
                                tLogType type) {
  return {
      {std::string(time) + "  ", kGrey},
      {"[", kBlack},
      {std::string(tag), kBlue},
      {"] \t", kBlack},
      {std::string(text) + "\r", LogTypeColour(type)},
  };
}

void SetLogSink(ILogSink* sink) { Sink() = sink; }

void AddLog(std::string_view tag, std::string_view text, tLogType type) {
  if (!Sink() || !LogPasses(type, Config())) return;
  Sink()->AppendLogLine(std::string(tag), std::string(text), type);
}

}  // namespace control
