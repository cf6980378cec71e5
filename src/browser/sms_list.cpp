#include "browser/sms_list.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace bsms {

std::int16_t HoldSlotCount(long long count) {
    return static_cast<std::int16_t>(std::clamp<long long>(count, 1, kMaxSlotCount));
}

void Bouble_Sort(std::vector<Sms_Record>& list) {
    const auto key = [](Sms_Record& r) -> double {
        if (r.Date_Key == 0) r.Date_Key = Empty_Date_Key;
        return r.Date_Key;
    };
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (std::size_t i = 1; i + 1 < list.size(); ++i) {
            if (key(list[i]) > key(list[i + 1])) {
                std::swap(list[i], list[i + 1]);
                exchanged = true;
            }
        }
    }
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
