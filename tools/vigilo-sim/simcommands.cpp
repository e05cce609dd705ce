#include "simcommands.h"

#include "wire/wire.h"
#include "stationagent.h"

#include <QSet>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::sim {

namespace {

QStringView leftTrimmed(QStringView text)
{
    while (!text.isEmpty() && text.front().isSpace())
        text = text.sliced(1);
    return text;
}

// The next word of rest, which moves to the start of the word after it.
QString takeWord(QStringView& rest)
{
    rest = leftTrimmed(rest);
    qsizetype end = 0;
    while (end < rest.size() && !rest[end].isSpace())
        ++end;
    const QString word = rest.first(end).toString();
    rest = leftTrimmed(rest.sliced(end));
    return word;
}

bool is(const QString& word, QStringView name)
{
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

Command invalid(const QString& error)
{
    Command command;
    command.kind = Command::Kind::Invalid;
    command.error = error;
    return command;
}

QString messageLine(const QTime& at, const QString& label, const QString& keyword,
                    const QStringList& fields)
{
    QString line = at.toString(u"HH:mm:ss.zzz"_s) + u"  "_s + label + u"  "_s + keyword;
    if (!fields.isEmpty())
        line += u"  "_s + fields.join(u" | "_s);
    return line;
}

} // namespace

QString endpointLabel(const Endpoint& endpoint)
{
    const QString host = endpoint.address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u"[%1]"_s.arg(endpoint.address.toString())
                             : endpoint.address.toString();
    return host + u':' + QString::number(endpoint.port);
}

QString usage()
{
    return uR"(Usage: vigilo-sim [options]
Plays the agents of café stations for the console to connect to.

  --listen ADDR[:PORT]     one station (repeatable; port 6969 by default)
  --range ADDR[:PORT] N    N stations on consecutive IPv4 addresses from ADDR
  --script FILE            commands run in order at start
  --auto-start             press start whenever a station waits for it
  --reply TEXT             answer every operator message with TEXT
  --changes-only           print a status only when its state or user changes
  --one-listener           the stations of a port share one socket listening on every address
                           of it, told apart by the address dialled (loopback only: 127.x.x.x);
                           one descriptor per connected station instead of two
  --name-prefix TEXT       computer names are TEXT01, TEXT02... (default "pc")
  --help                   this text

Commands, one a line on standard input or in the script:
  STATION GETSTART2 | GETSTART USER PASSWORD | GETOUT | MSGBOX TEXT | GETNAMEX
  STATION GETNAME NAME | GETMAC MAC | raw TEXT | stop | start
  sleep MS | list | stats [clear] | quit
STATION is a number from 1, ADDR:PORT, ADDR when only one station has it, or * for all.)"_s;
}

std::optional<Endpoint> parseEndpoint(const QString& text, QString* error)
{
    QString host = text;
    QString portText;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        const QString after = close < 0 ? QString() : text.mid(close + 1);
        if (close < 0 || (!after.isEmpty() && !after.startsWith(u':'))) {
            *error = u"not an address: %1"_s.arg(text);
            return std::nullopt;
        }
        host = text.mid(1, close - 1);
        if (!after.isEmpty())
            portText = after.mid(1);
    } else if (text.count(u':') == 1) {
        // More than one colon is a bare IPv6 address.
        host = text.section(u':', 0, 0);
        portText = text.section(u':', 1);
    }
    Endpoint endpoint;
    if (!endpoint.address.setAddress(host)) {
        *error = u"not an IP address: %1"_s.arg(host);
        return std::nullopt;
    }
    if (!portText.isNull()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535) {
            *error = u"not a port: %1 (1 to 65535)"_s.arg(portText);
            return std::nullopt;
        }
        endpoint.port = quint16(port);
    }
    return endpoint;
}

std::optional<QList<Endpoint>> addressRange(const Endpoint& first, int count, QString* error)
{
    if (first.address.protocol() != QAbstractSocket::IPv4Protocol) {
        *error = u"a range runs over IPv4 addresses only: %1"_s.arg(first.address.toString());
        return std::nullopt;
    }
    if (count < 1) {
        *error = u"a range needs at least one station"_s;
        return std::nullopt;
    }
    const quint64 start = first.address.toIPv4Address();
    if (start + quint64(count) - 1 > 0xFFFFFFFFu) {
        *error = u"%1 stations from %2 run past 255.255.255.255"_s.arg(count).arg(
            first.address.toString());
        return std::nullopt;
    }
    QList<Endpoint> endpoints;
    endpoints.reserve(count);
    for (int i = 0; i < count; ++i)
        endpoints << Endpoint{QHostAddress(quint32(start + quint64(i))), first.port};
    return endpoints;
}

std::optional<Options> parseArguments(const QStringList& arguments, QString* error)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const auto needs = [&](int values, const QString& what) {
            if (i + values < arguments.size())
                return true;
            *error = u"%1 needs %2"_s.arg(option, what);
            return false;
        };
        if (option == u"--help" || option == u"-h") {
            options.help = true;
        } else if (option == u"--auto-start") {
            options.autoStart = true;
        } else if (option == u"--changes-only") {
            options.changesOnly = true;
        } else if (option == u"--one-listener") {
            options.oneListener = true;
        } else if (option == u"--script") {
            if (!needs(1, u"a file"_s))
                return std::nullopt;
            options.scriptFile = arguments[++i];
        } else if (option == u"--reply") {
            if (!needs(1, u"a text"_s))
                return std::nullopt;
            options.reply = arguments[++i];
        } else if (option == u"--name-prefix") {
            if (!needs(1, u"a text"_s))
                return std::nullopt;
            options.namePrefix = arguments[++i];
        } else if (option == u"--listen") {
            if (!needs(1, u"ADDR[:PORT]"_s))
                return std::nullopt;
            const auto endpoint = parseEndpoint(arguments[++i], error);
            if (!endpoint)
                return std::nullopt;
            options.endpoints << *endpoint;
        } else if (option == u"--range") {
            if (!needs(2, u"ADDR[:PORT] COUNT"_s))
                return std::nullopt;
            const auto first = parseEndpoint(arguments[++i], error);
            if (!first)
                return std::nullopt;
            bool ok = false;
            const int count = arguments[++i].toInt(&ok);
            if (!ok) {
                *error = u"not a station count: %1"_s.arg(arguments[i]);
                return std::nullopt;
            }
            const auto range = addressRange(*first, count, error);
            if (!range)
                return std::nullopt;
            options.endpoints << *range;
        } else {
            *error = u"unknown option: %1 (see --help)"_s.arg(option);
            return std::nullopt;
        }
    }
    if (options.help)
        return options;
    if (options.endpoints.isEmpty()) {
        *error = u"no stations: give --listen or --range (see --help)"_s;
        return std::nullopt;
    }
    QSet<QString> seen;
    for (const Endpoint& endpoint : std::as_const(options.endpoints)) {
        const QString label = endpointLabel(endpoint);
        if (seen.contains(label)) {
            *error = u"%1 is given twice"_s.arg(label);
            return std::nullopt;
        }
        seen.insert(label);
        if (options.oneListener && (endpoint.address.protocol() != QAbstractSocket::IPv4Protocol ||
                                    !endpoint.address.isLoopback())) {
            *error = u"--one-listener plays loopback IPv4 addresses only: %1"_s.arg(label);
            return std::nullopt;
        }
    }
    return options;
}

QString computerName(const QString& prefix, int number)
{
    return prefix + u"%1"_s.arg(number, 2, 10, QChar(u'0'));
}

QString macAddress(int number)
{
    return u"00:16:3e:00:%1:%2"_s.arg((number >> 8) & 0xFF, 2, 16, QChar(u'0'))
        .arg(number & 0xFF, 2, 16, QChar(u'0'));
}

Command parseCommand(const QString& line)
{
    QStringView rest(line);
    while (rest.endsWith(u'\n') || rest.endsWith(u'\r'))
        rest.chop(1);
    const QString first = takeWord(rest);
    Command command;
    if (first.isEmpty() || first.startsWith(u'#'))
        return command;

    if (is(first, u"sleep")) {
        bool ok = false;
        command.sleepMs = takeWord(rest).toInt(&ok);
        if (!ok || command.sleepMs < 0 || !rest.isEmpty())
            return invalid(u"sleep needs a number of milliseconds: %1"_s.arg(line.trimmed()));
        command.kind = Command::Kind::Sleep;
        return command;
    }
    if (is(first, u"stats") && rest.trimmed().compare(u"clear", Qt::CaseInsensitive) == 0) {
        command.kind = Command::Kind::Stats;
        command.clearStats = true;
        return command;
    }
    for (const auto& [name, kind] :
         {std::pair{u"list", Command::Kind::List}, std::pair{u"stats", Command::Kind::Stats},
          std::pair{u"quit", Command::Kind::Quit}}) {
        if (is(first, name)) {
            if (!rest.isEmpty())
                return invalid(u"%1 takes nothing after it"_s.arg(first));
            command.kind = kind;
            return command;
        }
    }

    command.station = first;
    const QString message = takeWord(rest);
    if (message.isEmpty())
        return invalid(u"no message for station %1"_s.arg(first));
    const auto noArguments = [&](Command::Kind kind, const QString& keyword) {
        if (!rest.isEmpty())
            return invalid(u"%1 takes nothing after it"_s.arg(message));
        command.kind = kind;
        command.keyword = keyword;
        return command;
    };
    if (is(message, u"stop"))
        return noArguments(Command::Kind::Stop, {});
    if (is(message, u"start"))
        return noArguments(Command::Kind::Start, {});
    for (const QString& keyword : {u"GETSTART2"_s, u"GETOUT"_s, u"GETNAMEX"_s}) {
        if (is(message, keyword))
            return noArguments(Command::Kind::Send, keyword);
    }

    command.kind = Command::Kind::Send;
    if (is(message, u"GETSTART")) {
        command.keyword = u"GETSTART"_s;
        const QString user = takeWord(rest);
        if (user.isEmpty())
            return invalid(u"GETSTART needs a user and a password"_s);
        // The password is the rest of the line, possibly empty, as a customer may type it.
        command.fields = {user, rest.toString()};
        return command;
    }
    if (is(message, u"MSGBOX")) {
        command.keyword = u"MSGBOX"_s;
        command.fields = {rest.toString()};
        return command;
    }
    for (const QString& keyword : {u"GETNAME"_s, u"GETMAC"_s}) {
        if (is(message, keyword)) {
            if (rest.isEmpty())
                return invalid(u"%1 needs a value"_s.arg(keyword));
            command.keyword = keyword;
            command.fields = {rest.toString()};
            return command;
        }
    }
    if (is(message, u"raw")) {
        if (rest.isEmpty())
            return invalid(u"raw needs a text"_s);
        command.kind = Command::Kind::SendRaw;
        command.text = rest.toString();
        return command;
    }
    return invalid(u"unknown message: %1"_s.arg(message));
}

QList<int> selectStations(const QString& selector, const QList<Endpoint>& stations, QString* error)
{
    QList<int> chosen;
    if (selector == u"*") {
        for (int i = 0; i < stations.size(); ++i)
            chosen << i;
        return chosen;
    }
    bool isNumber = false;
    const int number = selector.toInt(&isNumber);
    if (isNumber) {
        if (number >= 1 && number <= stations.size())
            return {number - 1};
        *error = u"no station %1: stations are 1 to %2"_s.arg(selector).arg(stations.size());
        return {};
    }
    // A bare address, which may be shared by stations on several ports.
    const QHostAddress address(selector);
    if (!address.isNull()) {
        for (int i = 0; i < stations.size(); ++i) {
            if (stations[i].address == address)
                chosen << i;
        }
        if (chosen.size() > 1)
            *error = u"%1 is several stations: give ADDR:PORT"_s.arg(selector);
        else if (chosen.isEmpty())
            *error = u"no station at %1"_s.arg(selector);
        return chosen.size() == 1 ? chosen : QList<int>();
    }
    QString endpointError;
    const auto endpoint = parseEndpoint(selector, &endpointError);
    if (!endpoint) {
        *error = u"unknown station: %1 (a number, ADDR[:PORT] or *)"_s.arg(selector);
        return {};
    }
    const qsizetype at = stations.indexOf(*endpoint);
    if (at < 0) {
        *error = u"no station at %1"_s.arg(selector);
        return {};
    }
    return {int(at)};
}

Simulator::Simulator(const Options& options, Output out, Output err, QObject* parent)
    : QObject(parent), m_options(options), m_out(std::move(out)), m_err(std::move(err)),
      m_endpoints(options.endpoints)
{
    for (int i = 0; i < m_endpoints.size(); ++i) {
        auto* agent =
            new StationAgent(computerName(options.namePrefix, i + 1), macAddress(i + 1), this);
        agent->setAutoStart(options.autoStart);
        agent->setChatReply(options.reply);
        agent->setKeepReceived(false); // printed as they come, never asked for again
        watch(agent);
        m_agents << agent;
    }
}

bool Simulator::start()
{
    for (int i = 0; i < m_agents.size(); ++i) {
        if (m_options.oneListener) {
            const quint16 port = m_endpoints[i].port;
            CrowdListener*& crowd = m_crowds[port];
            if (!crowd) {
                crowd = new CrowdListener(this);
                if (!crowd->listen(port)) {
                    m_err(u"cannot listen on port %1: %2"_s.arg(port).arg(crowd->errorString()));
                    return false;
                }
            }
            m_agents[i]->listenThrough(crowd);
        }
        if (!m_agents[i]->listen(m_endpoints[i].address, m_endpoints[i].port)) {
            m_err(u"cannot listen on %1: %2"_s.arg(endpointLabel(m_endpoints[i]),
                                                   m_agents[i]->errorString()));
            return false;
        }
        // A restart takes the same port again, also when the system chose it.
        m_endpoints[i].port = m_agents[i]->port();
    }
    if (!m_agents.isEmpty())
        m_out(u"%1  %2 stations listening, %3 to %4"_s.arg(
            QTime::currentTime().toString(u"HH:mm:ss.zzz"_s), QString::number(m_agents.size()),
            m_agents.first()->label(), m_agents.last()->label()));
    return true;
}

QString Simulator::resolve(const Command& command, QList<int>* targets) const
{
    if (command.kind == Command::Kind::Invalid)
        return command.error;
    if (command.station.isEmpty())
        return {};
    QString error;
    *targets = selectStations(command.station, m_endpoints, &error);
    return error;
}

QString Simulator::check(const QString& line) const
{
    QList<int> targets;
    return resolve(parseCommand(line), &targets);
}

int Simulator::execute(const QString& line)
{
    const Command command = parseCommand(line);
    QList<int> targets;
    if (const QString error = resolve(command, &targets); !error.isEmpty()) {
        m_err(error);
        return 0;
    }
    switch (command.kind) {
    case Command::Kind::Sleep:
        return command.sleepMs;
    case Command::Kind::List:
        for (const QString& row : listLines())
            m_out(row);
        return 0;
    case Command::Kind::Stats:
        m_out(statsLine());
        if (command.clearStats)
            for (StationAgent* agent : std::as_const(m_agents))
                agent->clearStatusStats();
        return 0;
    case Command::Kind::Quit:
        emit quitRequested();
        return 0;
    default:
        break;
    }
    for (const int i : std::as_const(targets)) {
        StationAgent* agent = m_agents[i];
        switch (command.kind) {
        case Command::Kind::Stop:
            if (agent->isListening()) {
                agent->close();
                note(agent, u"stopped"_s);
            }
            break;
        case Command::Kind::Start:
            if (agent->isListening())
                break;
            if (agent->listen(m_endpoints[i].address, m_endpoints[i].port))
                note(agent, u"listening"_s);
            else
                m_err(u"cannot listen on %1: %2"_s.arg(agent->label(), agent->errorString()));
            break;
        case Command::Kind::Send:
        case Command::Kind::SendRaw:
            if (!agent->isConnected()) {
                // With "*" the stations without a console are skipped without a word.
                if (targets.size() == 1)
                    m_err(u"%1: no console connected, nothing sent"_s.arg(agent->label()));
                break;
            }
            if (command.kind == Command::Kind::Send)
                agent->send(command.keyword, command.fields);
            else
                agent->sendRaw(Wire::encode(command.text));
            break;
        default:
            break;
        }
    }
    return 0;
}

QString Simulator::statsLine() const
{
    int connected = 0;
    int statuses = 0;
    qint64 worstGap = 0;
    for (const StationAgent* agent : m_agents) {
        connected += agent->isConnected() ? 1 : 0;
        statuses += agent->statusCount();
        worstGap = std::max(worstGap, agent->worstStatusGapMs());
    }
    return u"stats stations=%1 connected=%2 statuses=%3 worst_gap_ms=%4"_s.arg(m_agents.size())
        .arg(connected)
        .arg(statuses)
        .arg(worstGap);
}

QStringList Simulator::listLines() const
{
    QStringList lines;
    for (int i = 0; i < m_agents.size(); ++i) {
        const StationAgent* agent = m_agents[i];
        const QString link = agent->isConnected()   ? u"connected"_s
                             : agent->isListening() ? u"waiting"_s
                                                    : u"stopped"_s;
        const QStringList status = agent->lastStatus();
        const QString state = status.isEmpty()           ? u"none"_s
                              : status.first().isEmpty() ? u"free"_s
                                                         : status.first();
        lines << u"%1  %2  %3  %4  state=%5  %6"_s.arg(
            QString::number(i + 1), agent->label(), agent->computerName(), link, state,
            agent->screenLocked() ? u"locked"_s : u"unlocked"_s);
    }
    return lines;
}

void Simulator::watch(StationAgent* agent)
{
    connect(agent, &StationAgent::connected, this,
            [this, agent] { note(agent, u"console connected"_s); });
    connect(agent, &StationAgent::disconnected, this,
            [this, agent] { note(agent, u"console disconnected"_s); });
    connect(agent, &StationAgent::messageReceived, this,
            [this, agent](const StationAgent::Received& message) {
                if (message.keyword == u"SENDSTAT") {
                    const QStringList seen = {message.fields.value(0), message.fields.value(4)};
                    const auto previous = m_statusSeen.constFind(agent);
                    const bool same = previous != m_statusSeen.cend() && *previous == seen;
                    m_statusSeen.insert(agent, seen);
                    if (same && m_options.changesOnly)
                        return;
                }
                m_out(messageLine(message.at.toLocalTime().time(), agent->label(), message.keyword,
                                  message.fields));
            });
    connect(agent, &StationAgent::messageSent, this, [this, agent](const QByteArray& bytes) {
        QStringList pieces = Wire::split(Wire::decode(bytes));
        const QString keyword = pieces.takeFirst();
        m_out(messageLine(QTime::currentTime(), agent->label(), u">> "_s + keyword, pieces));
    });
}

void Simulator::note(const StationAgent* agent, const QString& text)
{
    m_out(QTime::currentTime().toString(u"HH:mm:ss.zzz"_s) + u"  "_s + agent->label() + u"  "_s +
          text);
}

CommandQueue::CommandQueue(Simulator& simulator, QObject* parent)
    : QObject(parent), m_simulator(simulator)
{
    m_sleep.setSingleShot(true);
    connect(&m_sleep, &QTimer::timeout, this, &CommandQueue::runPending);
}

void CommandQueue::append(const QStringList& lines)
{
    m_lines += lines;
    runPending();
}

void CommandQueue::runPending()
{
    while (!m_lines.isEmpty() && !m_sleep.isActive()) {
        const int ms = m_simulator.execute(m_lines.takeFirst());
        if (ms > 0)
            m_sleep.start(ms);
    }
}

} // namespace kestrel::sim
