#pragma once

#include "core/datastore.h"
#include "core/prompts.h"
#include "core/settings.h"

#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace kestrel::bench {

// The settings of a café that changed nothing.
class DefaultSettings final : public SettingsStore {
public:
    QString read(const QString&, const QString& defaultValue) const override
    {
        return defaultValue;
    }
    void write(const QString&, const QString&) override {}
};

// Nobody answers: questions are No, notices go to standard error.
class PrintedPrompts final : public Prompts {
public:
    bool askYesNo(const QString&) override { return false; }
    void tell(Icon, const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void notify(Icon icon, const QString& text) override { tell(icon, text); }
};

// A new data store in `dir`, opened; false, with the reason on standard error, when it cannot be.
inline bool openNewStore(const QTemporaryDir& dir, DataStore& store)
{
    const QString path = DataStore::pathIn(dir.path());
    std::optional<QString> error = DataStore::create(path);
    if (!error)
        error = store.open(path);
    if (error)
        std::fprintf(stderr, "%s\n", qPrintable(*error));
    return !error;
}

} // namespace kestrel::bench
