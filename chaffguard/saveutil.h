// Unique file names and the storing of correction requests.
//
//   UniqueName(t)   eight characters of "ABCDEFGHJKLMNPQRSTUVWXYZ23456789" that
//                   encode 40 bits: (year mod 100 * month * day * hour * minute *
//                   second) mod 2^32 as a big-endian 32-bit number followed by
//                   the byte (millisecond div 4), 5 bits at a time from the low
//                   bits of the last byte upwards, each new character in front
//   StoreCorrectionRequest(dir, lines)  creates `dir` when missing and writes
//                   the lines (each + CR LF) into a new file <unique>.CNM there,
//                   created exclusively; up to 10 attempts; returns the path or
//                   "" when every attempt failed. Never throws for file errors.
#pragma once

#include <string>
#include <vector>

#include "clock.h"

namespace chaffguard {

std::string UniqueName(const LocalDateTime& t);

std::string StoreCorrectionRequest(const std::string& dir, const std::vector<std::string>& lines);

}  // namespace chaffguard
