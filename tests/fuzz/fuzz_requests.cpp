// libFuzzer target: whatever a station agent sends, in whatever pieces, the console splits and
// carries it out without crashing, and the accounts and the other stations stay as they were.
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/requests.h"
#include "operators/operatorsession.h"
#include "stations/stationtable.h"
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
    test::TempStore store;
    OperatorSession session;
    test::RecordingConnections links;
    LinkSender sender{links, session};
    test::ManualClock clock;
    StationTable stations;
    MessageList messages;
    RequestDispatcher requests{{stations, store.db(), sender, messages, clock}};
    QVariant accounts;
    Station neighbour;

    Harness()
    {
        store.exec(u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES "
                   u"('ana', 'x', '1:00:00', 1), ('beto', 'y', '0:00:30', 2)"_s);
        accounts = store.scalar(snapshot());
        Station s;
        s.pc = u"PC01"_s;
        s.LSTCLWA = u"2"_s;
        neighbour = s;
        neighbour.pc = u"PC02"_s;
        stations.setStations({s, neighbour});
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
    if (h->store.scalar(Harness::snapshot()) != h->accounts || !(h->stations.at(1) == h->neighbour))
        std::abort();
    if (h->messages.rows().size() > 1000)
        h->messages.clear();
    h->links.sent.clear();
    return 0;
}
