// sms-pdu: encode a message as Brenvik SMS sends it, or decode a +CMGR reply.
#include <iostream>
#include <string>
#include <vector>

#include "sms/pdu_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return bsms::Run_Sms_Pdu(args, std::cin, std::cout, std::cerr);
}
