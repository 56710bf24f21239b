// The trend in examples/: small, synthetic, made by the fixture builder so
// that nothing in it comes from a real plant. tools/MakeExample writes it;
// ExampleTrendTest checks that the committed files are what it writes.
#pragma once

#include <filesystem>
#include <string>

#include "TrendFixture.h"

namespace morvelle::test {

// A version-5 trend Trend1 with three data files, recorded as
// C:\Ostrel\Data\Trend1.
TrendRecipe ExampleTrendRecipe();

// Writes the example's files into `folder`; returns the history file.
std::string WriteExampleTrend(const std::filesystem::path& folder);

// Writes `count` version-5 trends Flow001, Flow002, ... into `folder`, as
// a plant engineer's folder to migrate: recorded as
// C:\OldPlant\Data\Flow\FlowNNN, tagged OLD_FLOWNNN, every tenth tag
// 79 characters long, one short of its field.
void WritePlantTrends(const std::filesystem::path& folder, int count);

}  // namespace morvelle::test
