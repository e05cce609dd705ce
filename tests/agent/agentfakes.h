#pragma once

#include "agent/agentcore.h"
#include "agent/systemactions.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace kestrel::agent::test {

// System actions that are only written down: the real ones never run in the tests.
class RecordingActions final : public SystemActions {
public:
    void shutDown() override { done << QStringLiteral("apagar"); }
    void restart() override { done << QStringLiteral("reiniciar"); }
    void endSession() override { done << QStringLiteral("cerrar sesion"); }
    void closePrograms() override { done << QStringLiteral("cerrar programas"); }
    void setVolume(int percent) override { done << QStringLiteral("volumen %1").arg(percent); }
    void setAutostart(bool on) override
    {
        done << (on ? QStringLiteral("inicio si") : QStringLiteral("inicio no"));
    }
    QStringList done;
};

// The rules of one agent with its settings in a folder of its own, what it sends written down
// (and handed on to `onSend` when there is one).
struct AgentUnderTest {
    QTemporaryDir dir;
    AgentSettings settings;
    RecordingActions actions;
    QStringList sent;
    std::function<void(const QString&, const QStringList&)> onSend;
    AgentCore core{{settings, dir.filePath(QStringLiteral("opciones.conf")), actions,
                    [this](const QString& keyword, const QStringList& fields) {
                        sent << (QStringList{keyword} + fields).join(QStringLiteral("#LVX#"));
                        if (onSend)
                            onSend(keyword, fields);
                    }}};
};

} // namespace kestrel::agent::test
