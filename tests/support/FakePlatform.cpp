#include "support/FakePlatform.h"

#include <QWidget>

namespace kopix::test {

QRect FakePlatform::normalRectangle(const QWidget* window)
{
    return window->frameGeometry();
}

} // namespace kopix::test
