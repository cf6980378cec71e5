#include "browser/sms_list.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "sms/tpdu.h"

namespace bsms {

std::int16_t HoldSlotCount(long long count) {
    return static_cast<std::int16_t>(std::clamp<long long>(count, 1, kMaxSlotCount));
}

void Bouble_Sort(std::vector<Sms_Record>& list) {
    if (list.size() < 2) return;
    for (auto r = list.begin() + 1; r != list.end(); ++r)
        if (r->Date_Key == 0) r->Date_Key = Empty_Date_Key;
    // Neighbours exchanged only when the lower key is greater, until nothing moves: a stable
    // ascending sort, which this gives in O(n log n) record moves.
    std::stable_sort(list.begin() + 1, list.end(), [](const Sms_Record& a, const Sms_Record& b) {
        return a.Date_Key < b.Date_Key;
    });
}

namespace {

// The part sent from here that a report is on: of those with its reference and number, the one
// sent latest at or before the report's time stamp (a part whose time is unreadable counts as
// the earliest), never one sent later; the latest one when the report's time is unknown.
const SentPart* ReportedPart(const Sms_Record& report, const std::vector<SentPart>& sent) {
    const SentPart* found = nullptr;
    std::int64_t foundTime = 0;
    for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
        if (it->reference != report.reportRef || !SameNumber(it->recipient, report.Sender_Number))
            continue;
        if (report.serviceCentreTime < 0) return &*it;
        const std::int64_t time = SentTime(it->when);
        if (time > report.serviceCentreTime + kClockSkewSeconds) continue;
        if (found == nullptr || time > foundTime) {
            found = &*it;
            foundTime = time;
        }
    }
    return found;
}

// The outcome of the reports on one message: failed when any part failed, pending when any is
// still on its way (or its report lacks the status), delivered when all were.
const std::string& Outcome(const std::vector<int>& statuses, const ListingTexts& texts) {
    bool pending = false;
    for (int st : statuses) {
        if (st >= tp::kStatusFailedFirst) return texts.failed;
        pending = pending || st < 0 || st >= tp::kStatusPendingFirst;
    }
    return pending ? texts.pending : texts.delivered;
}

struct Group {
    ListedMessage message;
    std::vector<const Sms_Record*> parts;  // by part number - 1, for a long message
    std::vector<int> statuses;             // for the reports on one sent message
    const SentPart* sent = nullptr;
};

bool SameMessage(const Group& g, const Sms_Record& r) {
    const Sms_Record& first = g.message.record;
    return !g.parts.empty() && first.Kind == r.Kind && first.Sender_Number == r.Sender_Number &&
           first.concatRef == r.concatRef && first.concatTotal == r.concatTotal &&
           g.parts[static_cast<std::size_t>(r.concatPart - 1)] == nullptr;
}

}  // namespace

std::vector<ListedMessage> Listing(const std::vector<Sms_Record>& sorted,
                                   const std::vector<SentPart>& sent, const ListingTexts& texts) {
    std::vector<Group> groups;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const Sms_Record& r = sorted[i];
        if (r.Text.empty()) continue;
        const SentPart* reported =
            r.Kind == SmsKind::StatusReport ? ReportedPart(r, sent) : nullptr;
        Group* into = nullptr;
        for (Group& g : groups) {
            const bool samePart = r.concatRef >= 0 && SameMessage(g, r);
            const bool sameSent = reported && g.sent && g.sent->when == reported->when &&
                                  g.sent->recipient == reported->recipient;
            if (samePart || sameSent) into = &g;
            if (into) break;
        }
        if (!into) {
            into = &groups.emplace_back();
            into->message.record = r;
            into->sent = reported;
            if (r.concatRef >= 0) into->parts.resize(static_cast<std::size_t>(r.concatTotal));
        }
        into->message.locations.push_back(r.Id);
        if (r.concatRef >= 0) into->parts[static_cast<std::size_t>(r.concatPart - 1)] = &r;
        if (r.Kind == SmsKind::StatusReport) into->statuses.push_back(r.Delivery_Status);
    }
    std::vector<ListedMessage> listing;
    for (Group& g : groups) {
        Sms_Record& rec = g.message.record;
        if (!g.parts.empty()) {
            std::vector<int> locations;
            rec.Text.clear();
            bool dated = false;
            for (const Sms_Record* part : g.parts) {
                rec.Text += part ? part->Text : texts.missingPart;
                if (!part) continue;
                locations.push_back(part->Id);
                if (dated) continue;
                rec.Date_Time = part->Date_Time;
                rec.Date_Key = part->Date_Key;
                dated = true;
            }
            g.message.locations = std::move(locations);
        } else if (rec.Kind == SmsKind::StatusReport) {
            const std::string& outcome = Outcome(g.statuses, texts);
            rec.Text =
                g.sent ? outcome + ": " + g.sent->text : texts.unmatched + " (" + outcome + ")";
        }
        g.message.position = static_cast<int>(listing.size()) + 1;
        listing.push_back(std::move(g.message));
    }
    return listing;
}

std::string LocationsText(const std::vector<int>& locations) {
    std::string out;
    for (int location : locations)
        out += (out.empty() ? "" : ",") + std::to_string(location);
    return out;
}

std::vector<std::string> GridRow(const ListedMessage& m) {
    return {std::to_string(m.position), LocationsText(m.locations), m.record.Sender,
            m.record.Date_Time, m.record.Service_Centre};
}

std::string SavedMessageBytes(const std::string& senderNumber, const std::string& dateTime,
                              const std::string& text) {
    const std::string content = senderNumber + " " + dateTime + "\r\n" + text + "\r\n";
    const std::u32string chars = Utf8ToU32(content);
    if (std::all_of(chars.begin(), chars.end(), InCp1252)) return Utf8ToCp1252(content);
    return "\xEF\xBB\xBF" + U32ToUtf8(chars);
}

}  // namespace bsms
