#pragma once

#include <functional>
#include <memory>

namespace kestrel {

class Accounts;
class ActionStore;
class Archive;
class Catalogue;
class Clock;
class ConnectionSupervision;
class DataStore;
class Journal;
class JournalOfDay;
class KeyCapture;
class LinkSender;
class LoginWindow;
class MessageList;
class Metering;
class OperatorSession;
class PendingPrints;
class PrintMonitor;
class PrinterAdmin;
class Prompts;
class RemoteCommands;
class RequestDispatcher;
class Sale;
class Settings;
class Shortcuts;
class StationAdmin;
class StationRows;
class StationSockets;
class StationTable;
class TariffAdmin;
class WebBrowser;

// What the console works with, every piece built by the start-up.
struct ConsoleServices {
    DataStore& store;
    Settings& settings;
    OperatorSession& session;
    StationTable& stations;
    StationRows& rows;
    StationSockets& sockets;
    LinkSender& link;
    ActionStore& actions;
    Prompts& prompts;
    LoginWindow& login;
    Metering& metering;
    Journal& journal;
    ConnectionSupervision& supervision;
    RequestDispatcher& requests;
    RemoteCommands& commands;
    MessageList& messages;
    PendingPrints& prints;
    PrintMonitor& monitor;
    Accounts& accounts;
    const Clock& clock;
    WebBrowser& browser;
    Shortcuts& shortcuts;
    KeyCapture& capture;
    Catalogue& catalogue;
    Sale& sale;
    TariffAdmin& tariffAdmin;
    StationAdmin& stationAdmin;
    PrinterAdmin& printerAdmin;
    Archive& archive;
    // The journal grid's rows: those of the day and operator at the console's load.
    std::function<std::unique_ptr<JournalOfDay>()> journalOfDay;
};

} // namespace kestrel
