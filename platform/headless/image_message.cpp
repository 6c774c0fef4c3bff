// Bitmaps in posted messages.
#include "platform/headless/image_message.h"

#include <QCoreApplication>

namespace platform {

ImageMessageEvent::ImageMessageEvent(unsigned msg_, quintptr wParam_, Bitmap image_)
    : MessageEvent(msg_, wParam_, 0), image(std::move(image_)) {
    lParam = reinterpret_cast<qintptr>(&image);
}

void postImageMessage(QObject* target, unsigned msg, quintptr wParam, Bitmap image) {
    if (target != nullptr)
        QCoreApplication::postEvent(target, new ImageMessageEvent(msg, wParam, std::move(image)));
}

const Bitmap* messageImage(const MessageEvent& message) {
    const auto* withImage = dynamic_cast<const ImageMessageEvent*>(&message);
    return withImage != nullptr ? &withImage->image : nullptr;
}

} // namespace platform
