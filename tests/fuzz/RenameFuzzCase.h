// One fuzz input: a history file, the entries beside it and a rename to
// try, laid out in an in-memory folder. The same code serves the libFuzzer
// target, the seed writer and the unit test that replays the seed corpus.
//
// Input layout:
//   byte 0       bits 0-3: the new path and tag (NewValuesAt)
//                bits 4-5: the fault: none, a failing call, a short write,
//                          a name taken before a rename
//                bits 6-7: the history file's type, as for entries below
//   byte 1       where the fault strikes, as a fraction of the calls,
//                writes or renames an unhindered rename makes, so that
//                every value strikes somewhere
//   bytes 2...   the history file, up to the first separator
//   then, after each separator, one entry of the folder:
//     byte 0     bits 0-3: its name (kEntryNames below)
//                bits 4-5: regular file, folder, symbolic link or device
//     bytes 1... its bytes, for a regular file
// Entries whose name is taken already are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "trend/TrendTools.h"

namespace morvelle::test {

inline constexpr char kFuzzSeparator[] = "=ENTRY=";

struct FuzzEntry {
  int name = 0;  // index into the entry names
  int type = 0;  // 0 regular, 1 folder, 2 link, 3 device
  std::string bytes;
};

struct FuzzCase {
  int newValues = 0;    // 0-7
  int faultKind = 0;    // 0-3
  int faultAt = 0;      // 0-255
  int historyType = 0;  // as FuzzEntry::type
  std::string history;
  std::vector<FuzzEntry> entries;
};

FuzzCase DecodeFuzzCase(const std::uint8_t* data, std::size_t size);
std::string EncodeFuzzCase(const FuzzCase& fuzzCase);

struct FuzzResult {
  RenameOutcome outcome = RenameOutcome::kRefused;
  std::vector<std::string> problems;  // what is wrong, one line each
};

// Inspects the trend, renames it and audits the result.
FuzzResult RunFuzzCase(const FuzzCase& fuzzCase);

}  // namespace morvelle::test
