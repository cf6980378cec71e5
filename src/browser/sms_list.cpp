#include "browser/sms_list.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
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

// The outcome of the reports on one message: failed when any part failed, pending when any is
// still on its way (or its report lacks the status), delivered when all were.
ReportOutcome Outcome(const std::vector<int>& statuses) {
    bool pending = false;
    for (int st : statuses) {
        if (st >= tp::kStatusFailedFirst) return ReportOutcome::Failed;
        pending = pending || st < 0 || st >= tp::kStatusPendingFirst;
    }
    return pending ? ReportOutcome::Pending : ReportOutcome::Delivered;
}

struct Group {
    std::size_t first = 0;                 // its first record's place in the sorted list
    std::vector<const Sms_Record*> parts;  // by part number - 1, for a long message
    std::vector<const Sms_Record*> members;
    std::vector<int> statuses;  // for the reports on one sent message
    const SentPart* sent = nullptr;
};

bool SameMessage(const Group& g, const Sms_Record& r) {
    const Sms_Record& first = *g.members.front();
    return !g.parts.empty() && first.Kind == r.Kind && first.Sender_Number == r.Sender_Number &&
           first.concatRef == r.concatRef && first.concatTotal == r.concatTotal &&
           g.parts[static_cast<std::size_t>(r.concatPart - 1)] == nullptr;
}

// How far a part's time stamp lies from the nearest of a message's parts; the most there is when
// either lacks one.
std::int64_t Distance(const Group& g, const Sms_Record& r) {
    std::int64_t nearest = std::numeric_limits<std::int64_t>::max();
    for (const Sms_Record* part : g.members)
        if (r.serviceCentreTime >= 0 && part->serviceCentreTime >= 0)
            nearest = std::min(nearest, std::abs(part->serviceCentreTime - r.serviceCentreTime));
    return nearest;
}

void Join(Group& g, std::size_t at, const Sms_Record& r) {
    g.first = std::min(g.first, at);
    g.members.push_back(&r);
    if (r.concatRef >= 0) g.parts[static_cast<std::size_t>(r.concatPart - 1)] = &r;
    if (r.Kind == SmsKind::StatusReport) g.statuses.push_back(r.Delivery_Status);
}

Group& NewGroup(std::vector<Group>& groups, std::size_t at, const Sms_Record& r) {
    Group& g = groups.emplace_back();
    g.first = at;
    if (r.concatRef >= 0) g.parts.resize(static_cast<std::size_t>(r.concatTotal));
    return g;
}

// The parts of long messages, taken in the order the phone stored them (by location): each
// joins the message that lacks its number and whose parts' time stamps are nearest its own, the
// first such in location order when that does not decide. So two messages under one reference
// are not joined crosswise when one's part comes late.
void JoinParts(const std::vector<Sms_Record>& sorted, std::vector<Group>& groups) {
    std::vector<std::size_t> stored;
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (!sorted[i].Text.empty() && sorted[i].concatRef >= 0) stored.push_back(i);
    std::stable_sort(stored.begin(), stored.end(),
                     [&](std::size_t a, std::size_t b) { return sorted[a].Id < sorted[b].Id; });
    const std::size_t others = groups.size();
    for (std::size_t i : stored) {
        const Sms_Record& r = sorted[i];
        Group* into = nullptr;
        std::int64_t nearest = 0;
        for (std::size_t k = others; k < groups.size(); ++k) {
            if (!SameMessage(groups[k], r)) continue;
            const std::int64_t distance = Distance(groups[k], r);
            if (into == nullptr || distance < nearest) {
                into = &groups[k];
                nearest = distance;
            }
        }
        Join(into != nullptr ? *into : NewGroup(groups, i, r), i, r);
    }
}

// The row of a group: a long message's text in part order, a part not read marked, dated by its
// lowest part; the outcome of the reports on one message. Records not on the phone (Id 0 or
// less) give no location.
ListedMessage Row(const Group& g, const std::vector<Sms_Record>& sorted,
                  const ListingTexts& texts) {
    ListedMessage m;
    Sms_Record& rec = m.record = sorted[g.first];
    const auto locate = [&m](const Sms_Record& r) {
        if (r.Id > 0) m.locations.push_back(r.Id);
        if (r.Id < 0) m.kept.push_back(-r.Id - 1);
    };
    if (!g.parts.empty()) {
        rec.Text.clear();
        bool dated = false;
        for (const Sms_Record* part : g.parts) {
            rec.Text += part ? part->Text : texts.missingPart;
            if (!part) continue;
            locate(*part);
            if (dated) continue;
            rec.Date_Time = part->Date_Time;
            rec.Date_Key = part->Date_Key;
            dated = true;
        }
        return m;
    }
    for (const Sms_Record* member : g.members)
        locate(*member);
    if (rec.Kind == SmsKind::StatusReport) {
        m.outcome = Outcome(g.statuses);
        const std::string& outcome = m.outcome == ReportOutcome::Failed    ? texts.failed
                                     : m.outcome == ReportOutcome::Pending ? texts.pending
                                                                           : texts.delivered;
        rec.Text = g.sent ? outcome + ": " + g.sent->text : texts.unmatched + " (" + outcome + ")";
    }
    return m;
}

}  // namespace

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

std::vector<ListedMessage> Listing(const std::vector<Sms_Record>& sorted,
                                   const std::vector<SentPart>& sent, const ListingTexts& texts) {
    std::vector<Group> groups;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const Sms_Record& r = sorted[i];
        if (r.Text.empty() || r.concatRef >= 0) continue;
        const SentPart* reported =
            r.Kind == SmsKind::StatusReport ? ReportedPart(r, sent) : nullptr;
        const auto sameSent = [reported](const Group& g) {
            return reported && g.sent && g.sent->when == reported->when &&
                   g.sent->recipient == reported->recipient;
        };
        const auto found = std::find_if(groups.begin(), groups.end(), sameSent);
        Group& g = found != groups.end() ? *found : NewGroup(groups, i, r);
        g.sent = reported;
        Join(g, i, r);
    }
    JoinParts(sorted, groups);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.first < b.first; });
    std::vector<ListedMessage> listing;
    for (const Group& g : groups) {
        listing.push_back(Row(g, sorted, texts));
        listing.back().position = static_cast<int>(listing.size());
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
