// The phone's replies as the dialogues read them: phonebook listings, the service centre, the
// endings and error lines the dispatcher judges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/text.h"
#include "compose/continuation.h"
#include "link/dispatcher.h"
#include "phonebook/download.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    for (const std::string& entry : bsms::ParseListing(reply)) {
        // Every entry can be chosen: it ends in its number in parentheses.
        Check(entry.ends_with(')') && entry.find('(') != std::string::npos);
        Check(entry.find_first_of("\r\n") == std::string::npos);
    }
    bsms::EndsWithOkLine(reply);
    if (const auto number = bsms::ServiceCentreFromReply(reply)) Check(!number->empty());
    // Leaving out unsolicited lines takes nothing else away and is done once and for all.
    const std::string view = bsms::ReplyView(reply);
    Check(view.size() <= reply.size());
    Check(bsms::ReplyView(view) == view);
    bsms::HasOkEnding(reply);
    bsms::HasPromptEnding(reply);
    bsms::HasErrorEnding(reply);
    const std::string error = bsms::ExtendedErrorLine(reply);
    Check(error.empty() || error.starts_with("+CM"));
    return 0;
}
