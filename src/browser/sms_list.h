// The messages read from the phone as the browser keeps them: their order, their grid rows and
// the file a saved one becomes. Pure functions, no window code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compose/sent_reports.h"
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

// What the reports on one sent message say of it.
enum class ReportOutcome { None, Delivered, Pending, Failed };

// One row of the listing: a message, the parts of a long message joined, or the delivery
// reports on one sent message; the locations it stands for, in part order (none for a record
// not on the phone).
struct ListedMessage {
    std::vector<int> locations;
    std::vector<int> kept;  // the records not on the phone it stands for: n for an Id of -n - 1
    Sms_Record record;
    int position = 0;                             // "Progr.": its place in the listing, from 1
    ReportOutcome outcome = ReportOutcome::None;  // for the reports on one sent message
};

// The words a listing needs, in the user's language.
struct ListingTexts {
    std::string missingPart, delivered, pending, failed, unmatched;
};

// How much the computer's clock and the network's may differ: a report may bear a time up to
// this much before the message it reports on was sent here.
inline constexpr std::int64_t kClockSkewSeconds = 120;

// The listing of a sorted list (position 0 left out, entries without text skipped). A record
// whose Id is 0 or less is not on the phone (a kept report, say): it is listed as any other but
// adds no location, and a row left without one has an empty "Id" cell; an Id of -n - 1 adds n
// to the row's `kept`.
// Parts of a long message (same kind, sender, reference and part count) are one row where its
// first part read stands: text in part order, a part not read marked, dated by its lowest part.
// Parts are joined in location order, each to the message lacking its part number whose parts'
// time stamps are nearest its own (the first such in location order on a tie or without time
// stamps), so that two messages under one reference stay apart.
// Status reports on one sent message are one row saying the outcome (failed when any part
// failed, pending when any is pending) and the start of that message's text; a report that
// matches none says so. A report is on the part in `sent` with its reference and recipient that
// was sent latest at or before the report's serviceCentreTime (plus kClockSkewSeconds), never on
// one sent later; on the latest such part when the report's time is unknown.
std::vector<ListedMessage> Listing(const std::vector<Sms_Record>& sorted,
                                   const std::vector<SentPart>& sent, const ListingTexts& texts);
// The part sent from here that a report is on: of those with its reference and number, the one
// sent latest at or before the report's time stamp (plus kClockSkewSeconds), never one sent
// later; the latest one when the report's time is unknown; none when no part matches.
const SentPart* ReportedPart(const Sms_Record& report, const std::vector<SentPart>& sent);

// The locations of a row as its "Id" cell shows them: "4", or "4,5" for a joined message.
std::string LocationsText(const std::vector<int>& locations);

// The five grid cells of a row: "Progr.", "Id", sender, date, service centre.
std::vector<std::string> GridRow(const ListedMessage& message);

// The bytes of a saved message: its first line (number, a blank, date and time) and the text,
// CR LF after each. Windows-1252 when every character has a byte there; otherwise UTF-8 behind a
// byte-order mark, so that no character of a UCS2 message is lost.
std::string SavedMessageBytes(const std::string& senderNumber, const std::string& dateTime,
                              const std::string& text);

}  // namespace bsms
