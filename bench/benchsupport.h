#pragma once

#include "core/prompts.h"
#include "core/settings.h"

#include <cstdio>

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

} // namespace kestrel::bench
