// libFuzzer target: whatever a station agent sends, in whatever pieces, the console splits and
// carries it out without crashing, and the accounts and the other stations stay as they were.
#include "link/requests.h"
#include "support/testsupport.h"

#include <QCoreApplication>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

struct Harness {
    int argc = 1;
    char name[16] = "fuzz_requests";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    test::CounterServices c;
    RequestDispatcher requests{
        {c.stations, c.actions, c.store.db(), c.sender, c.messages, c.clock}};
    QVariant accounts;
    Station neighbour;

    Harness()
    {
        c.store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                     u"('ana', 'x', '1:00:00', 1), ('beto', 'y', '0:00:30', 2)"_s);
        accounts = c.store.scalar(snapshot());
        Station s;
        s.pc = u"PC01"_s;
        s.LSTCLWA = u"2"_s;
        neighbour = s;
        neighbour.pc = u"PC02"_s;
        c.stations.setStations({s, neighbour});
    }

    static QString snapshot()
    {
        return u"SELECT group_concat(USER || PASSWORD || TIMERES || TARIFBAS, '|') FROM CUENTAS"_s;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static Harness* h = new Harness;
    h->requests.dispatchBytes(0, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (h->c.store.scalar(Harness::snapshot()) != h->accounts ||
        !(h->c.stations.at(1) == h->neighbour))
        std::abort();
    h->c.links.sent.clear();
    return 0;
}
