// What received septets show: the program's default table with its extension table, and the
// national language tables of 3GPP TS 23.038 that a message's header may select (Turkish,
// Spanish and Portuguese). Used by the decoder; sending uses the default table alone.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace bsms {

// One character as UTF-8; size 0 for a septet the table leaves empty.
struct Utf8Char {
    std::uint8_t size = 0;
    char bytes[3] = {};
    std::string_view view() const { return {bytes, size}; }
};
using SeptetChars = std::array<Utf8Char, 128>;

// National language identifiers (TS 23.038 §6.2.1.2.4) this program has tables for.
inline constexpr int kLanguageDefault = 0, kLanguageTurkish = 1, kLanguageSpanish = 2,
                     kLanguagePortuguese = 3;

// The table of a locking shift to `language`: the program's default table (Gsm_Alphabet) for
// 0, for Spanish, which has no locking table, and for any language this program lacks.
const SeptetChars& LockingShiftTable(int language);
// What an escape followed by a septet shows: the default extension table for 0 and for any
// language this program lacks. Empty entries leave the septet to the locking table.
const SeptetChars& SingleShiftTable(int language);

}  // namespace bsms
