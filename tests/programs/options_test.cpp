// The command line: what plays, what asks for help, and one clear line for
// everything wrong.
#include "programs/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

OptionsOutcome parse(std::vector<std::string> words, ProgramOptions& options, std::string& problem) {
    words.insert(words.begin(), "drowsel");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return parse_options(static_cast<int>(words.size()), argv.data(), options, problem);
}

TEST(Options, GoodCommandLines) {
    ProgramOptions options;
    std::string problem;
    EXPECT_EQ(parse({}, options, problem), OptionsOutcome::play);
    EXPECT_FALSE(options.seed_given);
    EXPECT_TRUE(options.record_path.empty() && options.replay_path.empty());
    EXPECT_FALSE(options.language_given);
    EXPECT_EQ(options.language, Language::japanese);

    EXPECT_EQ(parse({"--seed", "4294967295", "--record=run.rec"}, options, problem), OptionsOutcome::play);
    EXPECT_TRUE(options.seed_given);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(options.record_path, "run.rec");

    ProgramOptions replaying;
    EXPECT_EQ(parse({"--replay", "run.rec"}, replaying, problem), OptionsOutcome::play);
    EXPECT_EQ(replaying.replay_path, "run.rec");
    ProgramOptions sharing;
    EXPECT_EQ(parse({"--export-cast", "run.cast", "run.rec"}, sharing, problem), OptionsOutcome::play);
    EXPECT_EQ(sharing.cast_path + " " + sharing.cast_recording, "run.cast run.rec");
    EXPECT_EQ(parse({"--replay", "run.rec", "--follow"}, replaying, problem), OptionsOutcome::play);
    EXPECT_TRUE(replaying.follow);
    EXPECT_EQ(parse({"--replay", "run.rec", "--lang=en"}, replaying, problem), OptionsOutcome::play);
    EXPECT_TRUE(replaying.language_given);
    EXPECT_EQ(replaying.language, Language::english);
    EXPECT_EQ(parse({"--lang", "ja"}, replaying, problem), OptionsOutcome::play);
    EXPECT_EQ(replaying.language, Language::japanese);
    for (const auto& [words, path] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--resume"}, ""}, {{"--resume", "run.rec"}, "run.rec"}, {{"--resume=run.rec"}, "run.rec"}}) {
        ProgramOptions resuming;
        EXPECT_EQ(parse(words, resuming, problem), OptionsOutcome::play) << problem;
        EXPECT_TRUE(resuming.resume);
        EXPECT_EQ(resuming.resume_path, path);
    }
    ProgramOptions to_stdout;
    EXPECT_EQ(parse({"--export-cast", "-", "run.rec"}, to_stdout, problem), OptionsOutcome::play);
    EXPECT_EQ(to_stdout.cast_path, "-");
    ProgramOptions unkept;
    EXPECT_EQ(parse({"--no-record", "--seed", "3"}, unkept, problem), OptionsOutcome::play);
    EXPECT_TRUE(unkept.no_record && !options.no_record);
    EXPECT_EQ(parse({"--seed=0", "--help"}, options, problem), OptionsOutcome::help);
    EXPECT_EQ(parse({"--version"}, options, problem), OptionsOutcome::version);
}

TEST(Options, EachMistakeIsNamedInOneLine) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{"--seed"}, "--seed needs a value"},
        {{"--seed", "-1"}, "not '-1'"},
        {{"--seed", "4294967296"}, "not '4294967296'"},
        {{"--seed", "12x"}, "not '12x'"},
        {{"--seed="}, "not ''"},
        {{"--seed", " 7"}, "not ' 7'"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--help=yes"}, "--help takes no value"},
        {{"--record="}, "--record needs a file name"},
        {{"--record", "a", "--replay", "b"}, "cannot be used together"},
        {{"--replay", "b", "--seed", "3"}, "--seed cannot be used with --replay"},
        {{"play"}, "unexpected argument 'play'"},
        {{"--follow"}, "--follow goes with --replay"},
        {{"--verify", "a", "--seed", "3"}, "--verify goes alone"},
        {{"--export-cast", "a.cast"}, "--export-cast needs the cast to write and the recording"},
        {{"--export-cast", "a.cast", "a", "b"}, "unexpected argument 'b'"},
        {{"--lang", "fr"}, "--lang takes ja or en, not 'fr'"},
        {{"--lang=EN"}, "not 'EN'"},
        {{"--lang"}, "--lang needs a value"},
        {{"--record", "a.rec", "--record", "b.rec"}, "--record is given twice"},
        {{"--seed", "1", "--seed=2"}, "--seed is given twice"},
        {{"--lang", "en", "--lang", "en"}, "--lang is given twice"},
        {{"--replay", "a", "--rep", "b"}, "--replay is given twice"},
        {{"--verify", "a", "--lang", "en"}, "--verify goes alone"},
        {{"--verify", ""}, "--verify needs a file name"},
        {{"--export-cast", "", "a"}, "--export-cast needs a file name"},
        {{"--export-cast", "a.cast", "a", "--seed", "3"}, "--export-cast goes alone"},
        {{"--resume", "a", "--lang", "en"}, "--resume goes alone"},
        {{"--resume="}, "--resume needs a file name"},
        {{"--palette", "colorblind"}, "--palette takes default, contrast or colourblind, not 'colorblind'"},
        {{"--no-record", "--record", "a"}, "--no-record cannot be used with --record"},
        {{"--replay", "a", "--no-record"}, "--no-record cannot be used with --replay"},
        {{"--verify", "a", "--no-record"}, "--verify goes alone"},
    };
    for (const auto& [words, expected] : mistakes) {
        ProgramOptions options;
        std::string problem;
        EXPECT_EQ(parse(words, options, problem), OptionsOutcome::error) << words[0];
        EXPECT_NE(problem.find(expected), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos);
    }
}

}  // namespace
