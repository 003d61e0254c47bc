#pragma once
// Converts an exponent-format export (*.exp) into a processing file: seven
// header lines are dropped, and every data line of five numbers such as
// " .125E+02" becomes "  12.5  ..." with the digits copied as text, never
// through a binary value.
//
// How the window uses it (open action with the exponent filter):
//   d.ShortFileName = <bare name of the chosen file>;  // cwd = its folder
//   std::string converted;
//   if (!kv::ConvertExpFile(d, &converted)) {
//     // The one message has been shown through d.ui; nothing was created,
//     // d.BaseName is unchanged. Restore the directory, enable Pusk, stop.
//   }
//   // Load the memo from `converted`; show d.BaseName in the labels;
//   // d.ProcessingFileName = converted (the full path), so that a run finds
//   // the file whatever the current directory is then.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kv {
struct DatMod1;

// Reads the file d.ShortFileName from the current directory completely, then
// writes base + ".txt" beside it (replacing a file of that name) only when
// every line converted. An export whose own name is base + ".txt" is refused:
// it would be overwritten.
// On success d.BaseName := base + ".txt" (bare name), *outputPath := the
// output's full path, and the result is true. On failure one warning is shown
// through d.ui (when set), nothing is written, and the result is false:
//   - open failure: "Файл <name> не найден", "Ошибочное имя файла <name>",
//     "Слишком много открытых файлов", "Файл <name> не доступен" (also kept in
//     d.IoMessage);
//   - any other open failure: "Файл <name> не открыт: " and the runtime's
//     text, d.IoMessage unchanged;
//   - a malformed data line (reported with its line number; blank lines are
//     skipped);
//   - an output name that is the input's own;
//   - a failed read or write (the runtime's error text).
bool ConvertExpFile(DatMod1& d, std::string* outputPath = nullptr);

// The output name: the input's base (up to its first ".", after the last
// separator before it) followed by ".txt"; "run.a.exp" gives "run.txt".
std::string ExpOutputName(std::string_view inputName);

// The text of one number: mantissa digits `mantissa`, exponent `exponent`
// (0..99) with its sign. Listed magnitudes follow the fixed 10-character rules
// (".125E-03" gives "0.000125"); beyond them zeros are padded so the value
// stays right (".5E+03" gives "500.", ".1E+15" gives 1 and 14 zeros).
std::string ExpNumberText(bool negative, std::string_view mantissa, bool exponentNegative, int exponent);

// Converts one data line into one output line (without its line end); false
// when the line does not hold five numbers in the layout.
bool ConvertExpLine(std::string_view line, std::string& out);

// Converts a whole export; on a malformed line returns false with its 1-based
// line number in *badLine.
bool ConvertExpText(std::string_view input, std::string& output, std::size_t* badLine = nullptr);
// The same handing the output to `sink` in pieces of about a megabyte, so
// that a large export is never held twice; on a malformed line the pieces
// handed so far are to be thrown away.
bool ConvertExpStream(std::string_view input, const std::function<void(std::string_view)>& sink,
                      std::size_t* badLine = nullptr);

}  // namespace kv
