#pragma once

#include <QObject>
#include <QTimer>

namespace kestrel {

// Gives the memory the allocator holds free back to the system, once a minute. The station link
// allocates a socket engine, its notifiers and buffers at every connection and frees them when
// the connection ends; glibc's allocator keeps the pages so freed between longer-lived blocks.
// The console's heap stays the same size while stations come and go, but without this its
// resident memory creeps up by some 30 bytes per reconnection (kestrel-bench --soak measures it).
class HeapTrimmer final : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 60000;

    explicit HeapTrimmer(QObject* parent = nullptr);
    void start(int intervalMs = IntervalMs) { m_timer.start(intervalMs); }

    // Trims at once; false where the allocator cannot (not glibc).
    static bool trim();

private:
    QTimer m_timer;
};

} // namespace kestrel
