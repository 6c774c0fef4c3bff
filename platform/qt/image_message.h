// Posted window messages that carry a bitmap in lParam. The event owns the picture (a QImage, the
// one kind of picture that may cross threads) and lParam points at it, so the picture is freed
// with the event: after the receiving window handled it, also when handling failed, or when the
// event is dropped because its window went away first.
#pragma once

#include <QImage>

#include "platform/qt/ui.h"

namespace platform {

class ImageMessageEvent : public MessageEvent {
public:
    ImageMessageEvent(unsigned msg, quintptr wParam, QImage image);
    QImage image;
};

// PostMessage(target, msg, wParam, the bitmap). Callable from any thread.
void postImageMessage(QObject* target, unsigned msg, quintptr wParam, QImage image);

// The bitmap a message carries, or nullptr when it was posted without one.
const QImage* messageImage(const MessageEvent& message);

} // namespace platform
