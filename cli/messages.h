#pragma once
// What cardo-cli says on standard error: every line starts with "cardo-cli: ", and a message of
// its own comes in the language of the user's locale when that is English (LC_ALL, LC_MESSAGES
// or LANG natively, "C" and "POSIX" among them; the user's UI language on Windows), in Japanese,
// the program's language, otherwise. The program's own messages (the network's reasons, the
// generators' refusals) exist in Japanese only and stay so.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace cardo::cli {

enum class Language { English, Japanese };

// The language of the locale this process runs in.
Language LocaleLanguage();
// The language a POSIX locale name gives: English for "C", "POSIX" and "en..." ("C.UTF-8",
// "en_US.UTF-8"), Japanese for every other.
Language LanguageOfLocale(std::string_view name);
// The language of the messages from now on; Japanese until set.
void SetLanguage(Language language);
Language CurrentLanguage();

// One message in both languages; "{1}" to "{9}" stand for the words it is given.
struct Phrase {
  std::string_view english;
  std::string_view japanese;
};

// The phrase in the current language with its words put in.
std::string Text(const Phrase& phrase, std::initializer_list<std::string_view> words = {});
// One line on `err`: "cardo-cli: " and the text; a console window is shown it as characters
// (cardo-cli.exe), anything else gets the UTF-8 bytes.
void Say(std::FILE* err, std::string_view text);
void Say(std::FILE* err, const Phrase& phrase, std::initializer_list<std::string_view> words = {});

// A wrong command line: the complaint and where the help is. Returns 2, the status it ends with.
int Refuse(std::FILE* err, std::string_view command, std::string_view complaint);

namespace phrase {

inline constexpr Phrase kSeeHelp{"{1} (see cardo-cli {2}--help)",
                                 "{1}(cardo-cli {2}--help を参照)"};
inline constexpr Phrase kUnknownCommand{"unknown command \"{1}\"",
                                        "「{1}」というコマンドはありません"};
inline constexpr Phrase kUnknownOption{"unknown option {1}", "{1} というオプションはありません"};
inline constexpr Phrase kNeedsValue{"{1} needs a value", "{1} には値が要ります"};
inline constexpr Phrase kTakesNoValue{"{1} takes no value", "{1} は値をとりません"};
inline constexpr Phrase kOneOperand{"one {1} only", "{1} は一つだけです"};
inline constexpr Phrase kMissing{"{1} is missing", "{1} がありません"};
inline constexpr Phrase kOneOf{"{1} is one of {2}", "{1} は {2} のいずれかです"};
inline constexpr Phrase kWholeNumber{"{1} is a whole number from {2} to {3}",
                                     "{1} は {2} から {3} までの整数です"};
inline constexpr Phrase kGoesWith{"{1} goes with {2}", "{1} は {2} と一緒に使います"};
inline constexpr Phrase kNotTogether{"{1} and {2} do not go together",
                                     "{1} と {2} は一緒に使えません"};
inline constexpr Phrase kAbout{"{1}: {2}", "{1}: {2}"};
inline constexpr Phrase kCannotRead{"cannot read {1}: {2}", "{1} を読み取れません: {2}"};
inline constexpr Phrase kCannotWrite{"cannot write {1}: {2}", "{1} に書き込めません: {2}"};
inline constexpr Phrase kStandardInput{"standard input", "標準入力"};
inline constexpr Phrase kStandardOutput{"standard output", "標準出力"};
inline constexpr Phrase kOutOfMemory{
    "out of memory; the output stops here (what was written stays)",
    "メモリが足りないため、ここで止めます(書き出した分はそのまま残ります)"};
inline constexpr Phrase kLostCharacters{
    "characters code page 932 cannot hold were written as \"?\"",
    "コードページ 932 で表せない文字を「?」として書き出しました"};

}  // namespace phrase

}  // namespace cardo::cli
