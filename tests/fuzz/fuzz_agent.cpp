// libFuzzer target: whatever reaches the station agent from its console, in whatever pieces, it
// frames and carries out without crashing; the screen is always one it knows, and the only
// system actions are those the console may order.
#include "agent/agentfakes.h"
#include "wire/wire.h"

#include <QCoreApplication>

#include <cstdlib>

using namespace kestrel;
using namespace kestrel::agent;

namespace {

struct Harness {
    int argc = 1;
    char name[16] = "fuzz_agent";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    test::AgentUnderTest agent;
    Wire::Framer framer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static Harness* h = new Harness;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Two pieces, cut where the first byte says, as TCP may deliver them.
    const qsizetype cut = size ? data[0] % (size + 1) : 0;
    for (const QByteArrayView piece : {bytes.first(cut), bytes.sliced(cut)})
        for (const QString& text : h->framer.feed(piece)) {
            QStringList fields = Wire::split(text);
            const QString keyword = fields.takeFirst();
            h->agent.core.received(keyword, fields, qint64(size));
        }
    const int screen = int(h->agent.core.view().screen);
    if (screen < int(Screen::Locked) || screen > int(Screen::Running))
        std::abort();
    for (const QString& done : h->agent.actions.done)
        if (!done.startsWith(u"apagar") && !done.startsWith(u"reiniciar") &&
            !done.startsWith(u"cerrar") && !done.startsWith(u"volumen") &&
            !done.startsWith(u"inicio"))
            std::abort();
    h->agent.actions.done.clear();
    h->agent.sent.clear();
    return 0;
}
