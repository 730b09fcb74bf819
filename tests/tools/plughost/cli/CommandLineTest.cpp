// SPDX-License-Identifier: MIT
// The command line, read completely before any work starts.
#include "cli/CommandLine.h"
#include "core/Failure.h"

#include <gtest/gtest.h>

namespace plughost {
namespace {

TEST(CommandLine, ProcessOptionsInBothSpellings) {
    const Command command = parseCommandLine({"process", "p.so", "-i", "a.wav", "--output=b.flac",
                                              "-p", "x=1", "--param=y=2dB", "--block", "64",
                                              "--precision=64", "--state", "s", "-v"});
    const auto& options = std::get<ProcessOptions>(command);
    ASSERT_EQ(options.chain.size(), 1u);
    EXPECT_EQ(options.chain[0].plugin, "p.so");
    EXPECT_EQ(options.input, "a.wav");
    EXPECT_EQ(options.output, "b.flac");
    EXPECT_EQ(options.chain[0].parameters, (std::vector<std::string>{"x=1", "y=2dB"}));
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.precision, 64);
    EXPECT_EQ(options.chain[0].stateIn, "s");
    EXPECT_TRUE(options.verbose);
}

TEST(CommandLine, SettingsBelongToThePluginNamedLastBeforeThem) {
    const auto options = std::get<ProcessOptions>(parseCommandLine(
        {"process", "--param", "g=1", "a.so", "--state", "a.state", "-P", "b.so", "-i", "in.wav",
         "--automation", "b.csv", "-o", "out.wav", "--save-state", "b.fxp", "-p", "h=0"}));
    ASSERT_EQ(options.chain.size(), 2u);
    EXPECT_EQ(options.chain[0].plugin, "a.so");
    EXPECT_EQ(options.chain[0].parameters, std::vector<std::string>{"g=1"});
    EXPECT_EQ(options.chain[0].stateIn, "a.state");
    EXPECT_EQ(options.chain[1].plugin, "b.so");
    EXPECT_EQ(options.chain[1].automation, "b.csv");
    EXPECT_EQ(options.chain[1].stateOut, "b.fxp");
    EXPECT_EQ(options.chain[1].parameters, std::vector<std::string>{"h=0"});
    EXPECT_THROW(
        parseCommandLine({"process", "a.so", "-i", "x", "-o", "y", "--state", "s", "--state", "t"}),
        UsageError);
}

TEST(CommandLine, RejectsWhatItCannotUse) {
    EXPECT_THROW(parseCommandLine({}), UsageError);
    EXPECT_THROW(parseCommandLine({"mix"}), UsageError);
    EXPECT_THROW(parseCommandLine({"process", "p.so", "-i", "a.wav"}), UsageError);
    EXPECT_THROW(parseCommandLine({"process", "p.so", "-i", "a", "-o", "b", "--precision", "16"}),
                 UsageError);
    EXPECT_THROW(parseCommandLine({"info", "a.so", "b.so"}), UsageError);
    EXPECT_THROW(parseCommandLine({"gen", "-o", "g.wav", "--seconds", "0"}), UsageError);
    EXPECT_THROW(parseCommandLine({"gen", "-o", "g.wav", "--channels"}), UsageError);
    const auto gen = std::get<GenOptions>(parseCommandLine({"gen", "-o", "g.wav"}));
    EXPECT_EQ(gen.signal.channels, 8);
    EXPECT_EQ(gen.signal.sampleRate, 48000);
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(parseCommandLine({"process", "--help"})));
}

} // namespace
} // namespace plughost
