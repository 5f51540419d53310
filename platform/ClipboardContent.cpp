#include "platform/ClipboardContent.h"

#include "core/ClipPreview.h"

#include <QMimeData>

namespace kopix {

ClipboardContent clipboardContentOf(const QMimeData* data) {
    if (!data)
        return ClipboardContent::noText();
    const ClipboardOffer offer = examineClipboardTargets(data->formats());
    if (offer.hasSecretHint && isSecretHint(data->data(secretHintTarget())))
        return ClipboardContent::secret();
    // Judged by the offered formats alone, as for other programs' content: QMimeData::hasText would also
    // count a list of files as text.
    if (offer.textTarget.isEmpty())
        return ClipboardContent::noText();
    return ClipboardContent::ofText(data->text());
}

} // namespace kopix
