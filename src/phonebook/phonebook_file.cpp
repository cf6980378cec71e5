#include "phonebook/phonebook_file.h"

#include <algorithm>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"

namespace bsms {

namespace {

// A phonebook of this size is far beyond any phone's; reading stops there.
constexpr std::size_t kMaxFileBytes = std::size_t{4} * 1024 * 1024;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool IsUtf8(std::string_view bytes) {
    // Malformed sequences decode as Windows-1252 and so encode back differently.
    return U32ToUtf8(Utf8ToU32(bytes)) == bytes;
}

bool AllInCp1252(const std::vector<std::string>& entries) {
    for (const std::string& e : entries)
        for (char32_t cp : Utf8ToU32(e))
            if (!InCp1252(cp)) return false;
    return true;
}

}  // namespace

std::vector<std::string> ReadFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::string field;
        if (i < text.size() && text[i] == '"') {
            const std::size_t close = text.find_first_of("\"\r\n", i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            field = text.substr(i + 1, end - i - 1);
            i = end < text.size() && text[end] == '"' ? end + 1 : end;
        }
        while (i < text.size() && text[i] != ',' && !IsLineEnd(text[i]))
            field += text[i++];
        if (i < text.size()) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
        }
        if (!field.empty()) fields.push_back(std::move(field));
    }
    return fields;
}

std::string DecodeFileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    return IsUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::string FileLine(const std::string& entry) {
    // Quotes keep what the reader would otherwise split or trim: the part before the first
    // quote character goes between quotes, the rest follows the closing one.
    const bool quote = entry.find(',') != std::string::npos || entry.starts_with(' ') ||
                       entry.starts_with('\t') || entry.starts_with('"');
    if (!quote) return entry;
    const std::size_t q = std::min(entry.find('"'), entry.size());
    return '"' + entry.substr(0, q) + '"' + entry.substr(q);
}

std::string PhonebookFileBytes(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries)
        text += FileLine(e) + "\r\n";
    if (AllInCp1252(entries)) {
        // Unless its bytes would read as UTF-8 ("Ã©" is also "é"): then the marked form.
        std::string bytes = Utf8ToCp1252(text);
        const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii || (!IsUtf8(bytes) && !bytes.starts_with(kUtf8Bom))) return bytes;
    }
    // The mark tells editors, and the reader, that the file is UTF-8.
    return std::string(kUtf8Bom) + text;
}

void Load_Phonebook(Program& p) {
    Control& picker = (*p.Form1)["Combo2"];
    picker.clearItems();
    const auto bytes = ReadFileHead(p.folder / kPhonebookFile, kMaxFileBytes);
    if (!bytes) return;
    picker.addItems(ReadFields(DecodeFileText(*bytes)));
    picker.setEnabled(true);
    picker.setWindowBackground(true);
}

void Save_Phonebook(Program& p) {
    const std::string bytes = PhonebookFileBytes((*p.Form1)["Combo2"].items());
    const auto file = p.folder / kPhonebookFile;
    // ReplaceFile writes its text as Windows-1252: bytes read as Windows-1252 go out unchanged.
    if (!ReplaceFile(file, Cp1252ToUtf8(bytes))) Report_Save_Failed(p, file);
}

}  // namespace bsms
