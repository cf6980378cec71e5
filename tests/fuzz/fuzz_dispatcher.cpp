// Whatever the line brings, in pieces of any size, to a command of any owner in any state of the
// dialogues: the dispatcher and every owner behind it keep their state sound and the receive box
// bounded.
#include <array>

#include "app/startup.h"
#include "fuzz_support.h"
#include "link/dispatcher.h"
#include "sms/pdu_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t flags = data[0];
    const std::uint8_t job = data[1];
    std::string_view line = bsms::fuzz::Text(data + 3, size - 3);

    // One program for the whole run (making its windows costs more than the dispatching), and
    // the builds of one to five parts made once; each input starts from a fresh dialogue.
    static bsms::fuzz::Port port;
    static bsms::fuzz::Desktop desktop;
    // A folder no file can be written to: the handlers meet failing saves too.
    static const auto program = bsms::MakeProgram(desktop, port, "/nonexistent/bsms-fuzz");
    bsms::Program& p = *program;
    bsms::Window& f = *p.Form1;
    static const auto builds = [&f] {
        f.load();
        std::array<bsms::PduBuild, 5> b;
        for (std::size_t k = 0; k < b.size(); ++k)
            b[k] =
                bsms::BuildSubmit({"391234567890", "+393331234567", std::string(1 + k * 152, 'x')})
                    .build;
        return b;
    }();
    bsms::fuzz::Answer(desktop, bsms::fuzz::Text(data + 2, 1));
    port.written.clear();
    if (!port.portOpen()) port.setPortOpen(true);
    p.line.reset();
    p.Pdu_Parts = builds[job % builds.size()];
    p.st = {};
    f["Text1"].setText("");
    f["Combo2"].clearItems();
    (*p.Form5)["Grid1"].setRows(1);  // a completed read lists its messages below the others

    bsms::DialogueState& st = p.st;
    const auto bit = [flags](int n) { return ((flags >> n) & 1) != 0; };
    (*p.Form5).setShown(bit(4));  // an open browser reads new messages in
    bool* const waiting[] = {&st.Csc_Query_Pending, &st.Phonebook_Download, &st.Phonebook_Ask_Sim,
                             &st.Browser_Reading, &st.Sent_Confirm_Pending};
    for (int n = 0; n < 5; ++n)
        *waiting[n] = bit(n);
    if (bit(5)) st.Send_Job.start();
    if (bit(6)) st.Store_Job.start();
    if (bit(7)) st.Send_Job.step = bsms::JobStep::WaitOk;
    // The command whose answer the line brings; the "AT" after a time-out is the queue's own.
    const auto owner = static_cast<bsms::Owner>(job % (bsms::kOwnerCount - 1));
    bsms::Command command = bsms::CommandLine(owner, "AT+X", job % 7);
    if (owner == bsms::Owner::SendStore && bit(7)) command.end = bsms::AnswerEnd::PromptOrFinal;
    p.Send(command);

    // Piece lengths come from the stream itself: a byte below 32 ends a piece.
    while (!line.empty()) {
        std::size_t n = 1;
        while (n < line.size() && static_cast<std::uint8_t>(line[n - 1]) >= 32)
            ++n;
        port.arrive(std::string(line.substr(0, n)));
        line.remove_prefix(n);
        bsms::fuzz::Check(f["Text1"].text().size() <= bsms::kReceiveBoxLimit, "a bounded box");
        for (const bsms::JobState* j : {&st.Send_Job, &st.Store_Job})
            bsms::fuzz::Check(!j->active || (j->part >= 1 && j->part <= 5),
                              "a part of one to five");
    }
    return 0;
}
