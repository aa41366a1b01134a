#pragma once
// The bytes of a list file: one list line per text line, in code page 932, UTF-8 or UTF-16.
// A file is read in the encoding it shows and keeps its byte order mark and line ends, so a list
// saved back unedited is the file it came from. A new list is code page 932 with CR LF.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

enum class ListEncoding { Cp932, Utf8, Utf16Le, Utf16Be };
enum class LineEnd { CrLf, Lf, Cr };

// How a list file is written.
struct ListFileFormat {
  ListEncoding encoding = ListEncoding::Cp932;
  bool byteOrderMark = false;
  LineEnd lineEnd = LineEnd::CrLf;
  // Whether the last line ends with a line end; a file that had none gets none back. An empty
  // last line always gets one (without it the line would not read back).
  bool finalLineEnd = true;
  bool operator==(const ListFileFormat&) const = default;
};

// Lines of a list file's text. CR LF ends a line; so do a lone LF and a lone CR, so that
// files from other systems read as lines. A line end at the very end adds no empty line.
std::vector<std::u16string> SplitListText(std::u16string_view text);
// Every line followed by CR LF, the last one too.
std::u16string BuildListText(const std::vector<std::u16string>& lines);
// The lines with `format`'s line ends.
std::u16string BuildListText(const std::vector<std::u16string>& lines,
                             const ListFileFormat& format);
// `text` as the bytes of `format`'s encoding, after its byte order mark when it has one.
// Characters code page 932 lacks become "?"; never fails.
std::string ListTextBytes(std::u16string_view text, const ListFileFormat& format);

struct ListFileLines {
  std::vector<std::u16string> lines;
  ListFileFormat format;
  bool more = false;      // the file holds lines past the line limit; they were not read
  bool tooLarge = false;  // the lines kept passed the byte limit; reading stopped there
  // Lines holding bytes that are invalid in the file's encoding, or NUL (which the list cannot
  // hold): saving them writes other bytes. `firstUndecodable` is 1-based.
  std::size_t undecodableLines = 0;
  std::size_t firstUndecodable = 0;
};

// Reads list bytes fed in pieces of any size. The encoding is, unless `forced`: a UTF-8 or
// UTF-16 (LE or BE) byte order mark; else UTF-8 when every line read is valid UTF-8 and one
// holds a character beyond ASCII (code page 932 text beyond ASCII practically never is);
// else code page 932. A forced UTF-8 still drops a UTF-8 byte order mark; a forced code page
// 932 reads every byte as code page 932 (only these two are forced). Memory: the kept lines' bytes,
// twice at the end.
// A line of a list read as it comes: its text, and whether it held bytes that are no
// characters of its encoding (or NUL). Returns false to stop the reading.
using ListLineSink = std::function<bool(std::u16string_view line, bool undecodable)>;

class ListTextReader {
 public:
  ListTextReader(std::size_t maxLines, std::size_t maxBytes,
                 std::optional<ListEncoding> forced = std::nullopt);
  // Hands each line to `take` as soon as it ends, keeping none, for a list read as it arrives
  // (a pipe), whose end cannot be awaited: without a byte order mark or `forced`, the first
  // line beyond ASCII decides, UTF-8 when it is valid UTF-8, else code page 932. Memory: the
  // longest line.
  ListTextReader(std::optional<ListEncoding> forced, ListLineSink take);
  // False once no more bytes are wanted: the line limit is reached with more text to come,
  // or the kept lines passed `maxBytes`.
  bool Feed(std::string_view chunk);
  // The lines read; call once, after the last Feed. Handed to the sink, they are not here:
  // the format and the undecodable lines are.
  ListFileLines Finish();

 private:
  bool FeedBytes(std::string_view chunk);
  bool FeedUnits(std::string_view chunk);
  bool DecideStart(std::string_view chunk);
  bool Full();
  void NoteLineEnd(bool cr);
  void EndByteLine();
  // `cut`: the line's last code unit lost its second byte.
  void EndUnitLine(bool cut = false);
  // Hands over a line ended in byte mode, decoded as the encoding now known says.
  void HandByteLine();
  void Hand(std::u16string_view line, bool undecodable);

  std::size_t maxLines_, maxBytes_;
  std::optional<ListEncoding> forced_;
  ListFileLines out_;
  std::string head_;  // the first bytes, until the byte order mark is decided
  bool started_ = false;
  bool units_ = false;  // UTF-16: lines are cut on code units, not bytes
  std::vector<std::string> byteLines_;
  std::string byteLine_;
  std::u16string unitLine_;
  std::optional<unsigned char> oddByte_;  // the first byte of a code unit cut between pieces
  std::size_t kept_ = 0;
  std::size_t lineEnds_ = 0;
  bool afterCr_ = false;  // an LF right after a CR ends nothing more
  bool utf8Valid_ = true, utf8Multibyte_ = false;
  ListLineSink take_;  // the lines go here as they end, when set
  std::size_t handed_ = 0;
  bool decidedEarly_ = false;  // handed lines: the first line beyond ASCII chose
  bool stopped_ = false;       // the sink wants no more
};

// The encoding DecodeListText decides for a text without a byte order mark, judged from its
// bytes fed in pieces of any size, so that a file can be judged, then read, without being
// held: UTF-8 when every line is valid UTF-8 and one holds non-ASCII, else code page 932.
// Memory: the longest line.
class ListEncodingJudge {
 public:
  void Feed(std::string_view chunk);
  // Nothing when the text starts with a byte order mark, which decides as it is read.
  std::optional<ListEncoding> Encoding() const;

 private:
  void Judge(std::string_view lines);

  std::string head_;  // the first bytes, up to a byte order mark's length
  std::string line_;  // the line cut off at the end of the last piece
  bool valid_ = true, multibyte_ = false;
};

// Reads a whole list text at once, without limits.
ListFileLines DecodeListText(std::string_view bytes,
                             std::optional<ListEncoding> forced = std::nullopt);
// The lines DecodeListText reads in `bytes`, each handed to `take` as it is decoded, in the
// encoding DecodeListText decides, without keeping them: memory bounded by the longest line
// (an export of a list of any length). The format and the undecodable lines come back.
ListFileLines ForEachListLine(std::string_view bytes, std::optional<ListEncoding> forced,
                              const ListLineSink& take);

}  // namespace cardo
