#include "support/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace kopix::test {

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void pumpEvents(int ms) {
    waitFor([] { return false; }, ms);
}

} // namespace kopix::test
