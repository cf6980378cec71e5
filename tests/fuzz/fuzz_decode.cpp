// Phone replies of any shape through the read path: the +CMGR reply, the bare PDU line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sms/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const std::vector<std::string> picker = {"Anna (3331234567)", "O2", ""};
    bsms::Decode_Sms_Deliver(bsms::Extract_Pdu(input), picker);
    bsms::Decode_Sms_Deliver(bsms::Pdu_From_Input(input), picker);
    bsms::Decode_Sms_Deliver(input, {});
    return 0;
}
