#include "browser/sms_list.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

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

std::vector<std::string> GridRow(int position, const Sms_Record& record) {
    return {std::to_string(position), std::to_string(record.Id), record.Sender, record.Date_Time,
            record.Service_Centre};
}

std::string SavedMessageBytes(const std::string& senderNumber, const std::string& dateTime,
                              const std::string& text) {
    const std::string content = senderNumber + " " + dateTime + "\r\n" + text + "\r\n";
    const std::u32string chars = Utf8ToU32(content);
    if (std::all_of(chars.begin(), chars.end(), InCp1252)) return Utf8ToCp1252(content);
    return "\xEF\xBB\xBF" + U32ToUtf8(chars);
}

}  // namespace bsms
