#include "sms/septet_tables.h"

#include <initializer_list>
#include <utility>

#include "base/text.h"
#include "sms/alphabet.h"

namespace bsms {

namespace {

using Entries = std::initializer_list<std::pair<int, char32_t>>;

Utf8Char CharOf(std::string_view utf8) {
    Utf8Char c;
    c.size = static_cast<std::uint8_t>(utf8.size() < 3 ? utf8.size() : 3);
    for (std::size_t i = 0; i < c.size; ++i)
        c.bytes[i] = utf8[i];
    return c;
}

void Put(SeptetChars& table, Entries entries) {
    for (const auto& [septet, cp] : entries)
        table[septet] = CharOf(CodePointToUtf8(cp));
}

SeptetChars DefaultLocking() {
    SeptetChars t;
    for (int v = 0; v < 128; ++v)
        t[v] = CharOf(Gsm_Alphabet()[v]);
    return t;
}

SeptetChars DefaultShift() {
    SeptetChars t;
    for (int v = 0; v < 128; ++v)
        t[v] = CharOf(Gsm_Extension(v));
    return t;
}

// The national tables keep the standard's own characters where the program's default table
// has its own choices (0x09, 0x10 and the Greek capitals).
SeptetChars StandardLocking() {
    SeptetChars t = DefaultLocking();
    Put(t, {{0x09, 0x00C7},
            {0x10, 0x0394},
            {0x12, 0x03A6},
            {0x13, 0x0393},
            {0x14, 0x039B},
            {0x15, 0x03A9},
            {0x16, 0x03A0},
            {0x17, 0x03A8},
            {0x18, 0x03A3},
            {0x19, 0x0398},
            {0x1A, 0x039E}});
    return t;
}

// TS 23.038 A.3.1.
SeptetChars TurkishLocking() {
    SeptetChars t = StandardLocking();
    Put(t, {{0x04, 0x20AC},
            {0x07, 0x0131},
            {0x0B, 0x011E},
            {0x0C, 0x011F},
            {0x1C, 0x015E},
            {0x1D, 0x015F},
            {0x40, 0x0130},
            {0x60, 0x00E7}});
    return t;
}

// TS 23.038 A.3.3.
SeptetChars PortugueseLocking() {
    SeptetChars t = StandardLocking();
    Put(t, {{0x04, 0x00EA}, {0x06, 0x00FA}, {0x07, 0x00ED}, {0x08, 0x00F3}, {0x09, 0x00E7},
            {0x0B, 0x00D4}, {0x0C, 0x00F4}, {0x0E, 0x00C1}, {0x0F, 0x00E1}, {0x12, 0x00AA},
            {0x13, 0x00C7}, {0x14, 0x00C0}, {0x15, 0x221E}, {0x16, U'^'},   {0x17, U'\\'},
            {0x18, 0x20AC}, {0x19, 0x00D3}, {0x1A, U'|'},   {0x1C, 0x00C2}, {0x1D, 0x00E2},
            {0x1E, 0x00CA}, {0x24, 0x00BA}, {0x40, 0x00CD}, {0x5B, 0x00C3}, {0x5C, 0x00D5},
            {0x5D, 0x00DA}, {0x60, U'~'},   {0x7B, 0x00E3}, {0x7C, 0x00F5}, {0x7D, U'`'}});
    return t;
}

// The characters every national single shift table shares with the default extension table.
SeptetChars CommonShift() {
    SeptetChars t;
    Put(t, {{0x0A, U'\f'},
            {0x14, U'^'},
            {0x28, U'{'},
            {0x29, U'}'},
            {0x2F, U'\\'},
            {0x3C, U'['},
            {0x3D, U'~'},
            {0x3E, U']'},
            {0x40, U'|'},
            {0x65, 0x20AC}});
    return t;
}

// TS 23.038 A.2.1.
SeptetChars TurkishShift() {
    SeptetChars t = CommonShift();
    Put(t, {{0x47, 0x011E},
            {0x49, 0x0130},
            {0x53, 0x015E},
            {0x63, 0x00E7},
            {0x67, 0x011F},
            {0x69, 0x0131},
            {0x73, 0x015F}});
    return t;
}

// TS 23.038 A.2.2.
SeptetChars SpanishShift() {
    SeptetChars t = CommonShift();
    Put(t, {{0x09, 0x00E7},
            {0x41, 0x00C1},
            {0x49, 0x00CD},
            {0x4F, 0x00D3},
            {0x55, 0x00DA},
            {0x61, 0x00E1},
            {0x69, 0x00ED},
            {0x6F, 0x00F3},
            {0x75, 0x00FA}});
    return t;
}

// TS 23.038 A.2.3.
SeptetChars PortugueseShift() {
    SeptetChars t = CommonShift();
    Put(t, {{0x05, 0x00EA}, {0x09, 0x00E7}, {0x0B, 0x00D4}, {0x0C, 0x00F4}, {0x0E, 0x00C1},
            {0x0F, 0x00E1}, {0x12, 0x03A6}, {0x13, 0x0393}, {0x15, 0x03A9}, {0x16, 0x03A0},
            {0x17, 0x03A8}, {0x18, 0x03A3}, {0x19, 0x0398}, {0x1F, 0x00CA}, {0x41, 0x00C0},
            {0x49, 0x00CD}, {0x4F, 0x00D3}, {0x55, 0x00DA}, {0x5B, 0x00C3}, {0x5C, 0x00D5},
            {0x61, 0x00C2}, {0x69, 0x00ED}, {0x6F, 0x00F3}, {0x75, 0x00FA}, {0x7B, 0x00E3},
            {0x7C, 0x00F5}, {0x7F, 0x00E2}});
    return t;
}

}  // namespace

const SeptetChars& LockingShiftTable(int language) {
    static const SeptetChars kDefault = DefaultLocking();
    static const SeptetChars kTurkish = TurkishLocking();
    static const SeptetChars kPortuguese = PortugueseLocking();
    if (language == kLanguageTurkish) return kTurkish;
    if (language == kLanguagePortuguese) return kPortuguese;
    return kDefault;
}

const SeptetChars& SingleShiftTable(int language) {
    static const SeptetChars kDefault = DefaultShift();
    static const SeptetChars kTurkish = TurkishShift();
    static const SeptetChars kSpanish = SpanishShift();
    static const SeptetChars kPortuguese = PortugueseShift();
    if (language == kLanguageTurkish) return kTurkish;
    if (language == kLanguageSpanish) return kSpanish;
    if (language == kLanguagePortuguese) return kPortuguese;
    return kDefault;
}

}  // namespace bsms
