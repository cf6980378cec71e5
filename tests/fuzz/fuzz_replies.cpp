// The phone's replies as the dialogues read them: phonebook listings, the service centre, the
// endings and error lines the dispatcher judges.

#include "compose/continuation.h"
#include "fuzz_support.h"
#include "link/dispatcher.h"
#include "phonebook/download.h"

using bsms::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = bsms::fuzz::Text(data, size);
    for (const std::string& entry : bsms::ParseListing(reply))
        Check(entry.ends_with(')') && entry.find('(') != std::string::npos &&
                  entry.find_first_of("\r\n") == std::string::npos,
              "every entry can be chosen: one line ending in its number in parentheses");
    if (const auto number = bsms::ServiceCentreFromReply(reply))
        Check(!number->empty(), "a service centre has digits");
    // Leaving out unsolicited lines takes nothing else away and is done once and for all.
    const std::string view = bsms::ReplyView(reply);
    Check(view.size() <= reply.size() && bsms::ReplyView(view) == view, "the view is made once");
    bsms::EndsWithOkLine(reply);
    bsms::HasOkEnding(reply);
    bsms::HasPromptEnding(reply);
    bsms::HasErrorEnding(reply);
    const std::string error = bsms::ExtendedErrorLine(reply);
    Check(error.empty() || error.starts_with("+CM"), "an extended error is +CME or +CMS");
    return 0;
}
