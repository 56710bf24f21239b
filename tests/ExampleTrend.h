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

}  // namespace morvelle::test
