// The messages read from the phone as the browser keeps them: their order, their grid rows and
// the file a saved one becomes. Pure functions, no window code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sms/decoder.h"

namespace bsms {

// Put in place of a Date_Key of 0 before comparing, so that empty locations sort after every
// real time stamp (a real key stays below 99404).
inline constexpr double Empty_Date_Key = 99999;

// The browser reads at most this many locations, and at least one.
inline constexpr int kMaxSlotCount = 255;
// A typed or stored location count held to 1 .. kMaxSlotCount.
std::int16_t HoldSlotCount(long long count);

// Sorts positions 1 to the end by Date_Key, oldest first, empty locations last; equal keys keep
// their order. Keys of 0 become Empty_Date_Key. Position 0 is left alone.
void Bouble_Sort(std::vector<Sms_Record>& list);

// The five grid cells of the entry at `position`: "Progr.", "Id", sender, date, service centre.
std::vector<std::string> GridRow(int position, const Sms_Record& record);

// The bytes of a saved message: its first line (number, a blank, date and time) and the text,
// CR LF after each. Windows-1252 when every character has a byte there; otherwise UTF-8 behind a
// byte-order mark, so that no character of a UCS2 message is lost.
std::string SavedMessageBytes(const std::string& senderNumber, const std::string& dateTime,
                              const std::string& text);

}  // namespace bsms
