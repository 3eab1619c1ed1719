#include "programs/options.h"

#include <getopt.h>

#include <set>

namespace {

enum Option { OPTION_SEED = 1000, OPTION_RECORD, OPTION_REPLAY, OPTION_LANG, OPTION_VERSION };
// The options that check, follow or share a recording.
enum RunOption { OPTION_FOLLOW = 1100, OPTION_VERIFY, OPTION_EXPORT_CAST, OPTION_NO_RECORD, OPTION_RESUME };
// The options of how the screen is shown.
enum LookOption { OPTION_PALETTE = 1200, OPTION_READER };

const option LONG_OPTIONS[] = {
    {"seed", required_argument, nullptr, OPTION_SEED},
    {"record", required_argument, nullptr, OPTION_RECORD},
    {"replay", required_argument, nullptr, OPTION_REPLAY},
    {"lang", required_argument, nullptr, OPTION_LANG},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, OPTION_VERSION},
    {"follow", no_argument, nullptr, OPTION_FOLLOW},
    {"verify", required_argument, nullptr, OPTION_VERIFY},
    {"export-cast", required_argument, nullptr, OPTION_EXPORT_CAST},
    {"palette", required_argument, nullptr, OPTION_PALETTE},
    {"reader", no_argument, nullptr, OPTION_READER},
    {"no-record", no_argument, nullptr, OPTION_NO_RECORD},
    {"resume", optional_argument, nullptr, OPTION_RESUME},
    {nullptr, 0, nullptr, 0},
};

// Digits only, no sign, no spaces, 0..4294967295.
bool parse_seed(const char* text, uint32_t& seed) {
    uint64_t value = 0;
    int digits = 0;
    for (const char* c = text; *c != '\0'; ++c, ++digits) {
        if (*c < '0' || *c > '9' || digits == 10) return false;
        value = value * 10 + static_cast<uint64_t>(*c - '0');
    }
    if (digits == 0 || value > UINT32_MAX) return false;
    seed = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

OptionsOutcome parse_options(int argc, char* const argv[], ProgramOptions& options, std::string& problem) {
    bool help = false;
    bool version = false;
    std::set<int> given;
    auto fail = [&problem](std::string why) {
        problem = std::move(why);
        return OptionsOutcome::error;
    };
    opterr = 0;  // the messages are ours
    optind = 0;  // start afresh, whatever was parsed before
    optopt = 0;
    for (;;) {
        int index = -1;
        int choice = getopt_long(argc, argv, ":h", LONG_OPTIONS, &index);
        if (choice == -1) break;
        // The last word read, without any "=value": the option at fault.
        std::string word = argv[optind - 1];
        word = word.substr(0, word.find('='));
        bool long_word = word.rfind("--", 0) == 0;
        // The option's own name, however it was written (-h, --rec, ...).
        std::string name = choice == 'h' ? "--help" : index >= 0 ? std::string("--") + LONG_OPTIONS[index].name : word;
        if (choice != ':' && choice != '?' && !given.insert(choice).second) return fail(name + " is given twice");
        switch (choice) {
            case OPTION_SEED:
                options.seed_given = true;
                if (!parse_seed(optarg, options.seed))
                    return fail("--seed takes a whole number from 0 to 4294967295, not '" + std::string(optarg) + "'");
                break;
            case OPTION_FOLLOW: options.follow = true; break;
            case OPTION_NO_RECORD: options.no_record = true; break;
            case OPTION_RECORD:
            case OPTION_REPLAY:
            case OPTION_VERIFY:
            case OPTION_EXPORT_CAST:
                if (*optarg == '\0') return fail(name + " needs a file name");
                (choice == OPTION_RECORD   ? options.record_path
                 : choice == OPTION_REPLAY ? options.replay_path
                 : choice == OPTION_VERIFY ? options.verify_path
                                           : options.cast_path) = optarg;
                break;
            case OPTION_RESUME:
                options.resume = true;
                if (optarg != nullptr && *optarg == '\0') return fail("--resume needs a file name after its '='");
                if (optarg != nullptr) options.resume_path = optarg;
                break;
            case OPTION_LANG:
                options.language_given = true;
                if (!parse_language_name(optarg, options.language))
                    return fail("--lang takes ja or en, not '" + std::string(optarg) + "'");
                break;
            case OPTION_PALETTE:
                if (!parse_palette_name(optarg, options.palette))
                    return fail("--palette takes default, contrast or colourblind, not '" + std::string(optarg) + "'");
                break;
            case OPTION_READER: options.reader = true; break;
            case 'h': help = true; break;
            case OPTION_VERSION: version = true; break;
            case ':': return fail(word + " needs a value");
            default:
                if (long_word && optopt != 0) return fail(word + " takes no value");
                return fail("unknown option '" + (long_word ? word : std::string("-") + static_cast<char>(optopt)) +
                            "'");
        }
    }
    // --export-cast OUT FILE: the one word left over is the recording;
    // --resume FILE: the run to resume.
    if (!options.cast_path.empty() && optind < argc) options.cast_recording = argv[optind++];
    if (options.resume && options.resume_path.empty() && optind < argc) {
        options.resume_path = argv[optind++];
        if (options.resume_path.empty()) return fail("--resume needs a file name");
    }
    if (optind < argc) return fail("unexpected argument '" + std::string(argv[optind]) + "'");
    if (help) return OptionsOutcome::help;
    if (version) return OptionsOutcome::version;
    if (!options.verify_path.empty() && given.size() > 1)
        return fail("--verify goes alone: the recording holds everything it needs");
    if (options.resume && given.size() - given.count(OPTION_PALETTE) - given.count(OPTION_READER) > 1)
        return fail("--resume goes alone (but for --palette and --reader): the run holds its seed and its language");
    if (!options.replay_path.empty() && !options.record_path.empty())
        return fail("--record and --replay cannot be used together");
    if (options.no_record && (!options.record_path.empty() || !options.replay_path.empty()))
        return fail(std::string("--no-record cannot be used with ") +
                    (options.record_path.empty() ? "--replay: a replay records nothing" : "--record"));
    if (!options.replay_path.empty() && options.seed_given)
        return fail("--seed cannot be used with --replay: the recording holds its seed");
    if (options.follow && options.replay_path.empty()) return fail("--follow goes with --replay FILE");
    if (!options.cast_path.empty() && options.cast_recording.empty())
        return fail("--export-cast needs the cast to write and the recording: --export-cast OUT FILE");
    if (!options.cast_path.empty() && given.size() - options.language_given > 1)
        return fail("--export-cast goes alone (but for --lang): the recording holds everything it needs");
    return OptionsOutcome::play;
}

const char* usage_text() {
    return "Usage: drowsel [--seed N] [--lang ja|en] [--record FILE | --no-record]\n"
           "              [--palette NAME] [--reader]\n"
           "       drowsel [--lang ja|en] --replay FILE [--follow]\n"
           "       drowsel --resume [FILE] [--palette NAME] [--reader]\n"
           "       drowsel --verify FILE | [--lang ja|en] --export-cast OUT FILE\n"
           "Drowsel (Skarnwold Gaiden), a small roguelike for an 80x23 terminal.\n"
           "With no options the game is seeded from the clock and its run is kept in\n"
           "$XDG_STATE_HOME/drowsel/ (else ~/.local/state/drowsel/), one file a run.\n"
           "\n"
           "  --seed N        seed the game with N (0 to 4294967295) instead of the clock\n"
           "  --lang ja|en    show the texts of play in Japanese (ja, the default) or\n"
           "                  in English (en); the game itself is the same in both\n"
           "  --record FILE   write the run to FILE, key by key, as it is played;\n"
           "                  FILE must not exist yet\n"
           "  --no-record     play without keeping the run anywhere\n"
           "  --replay FILE   show the run recorded in FILE, in the language it was\n"
           "                  played in unless --lang says otherwise; while it plays, Space\n"
           "                  pauses and goes on, . steps one key, + and - change\n"
           "                  the pace, Q (or q) stops\n"
           "  --follow        with --replay: watch a run while it is recorded, waiting\n"
           "                  for more keys at the end of the file (FILE may be a FIFO,\n"
           "                  or not exist yet); it ends when the player leaves\n"
           "  --resume [FILE] go on with the unfinished run recorded in FILE (by default the\n"
           "                  newest in the state folder), from the screen it was left at,\n"
           "                  recording on into the same file\n"
           "  --verify FILE   replay FILE without a screen, as fast as it goes, and print\n"
           "                  one line: seed, keys, turns, dreams, kills, how it ended\n"
           "  --export-cast OUT FILE\n"
           "                  write the run recorded in FILE as an asciicast v2 file OUT\n"
           "                  (OUT must not exist yet; - writes to standard output)\n"
           "  --palette NAME  show the colours as default (the game's own), contrast\n"
           "                  (every colour bright on black) or colourblind (safe for\n"
           "                  red-green colour blindness)\n"
           "  --reader        for a screen reader: the cursor stands after the newest\n"
           "                  message, and x says what surrounds you (x is never\n"
           "                  given to the game nor recorded)\n"
           "  -h, --help      show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "Exit status: 0 when the game or the replay is over, 2 for a bad command\n"
           "line, 4 when a recording cannot be written or replayed, 6 when a replayed\n"
           "or verified recording was cut short; drowsel(6) lists the others.\n";
}
