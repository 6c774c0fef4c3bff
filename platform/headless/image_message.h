// Posted window messages that carry a bitmap in lParam. The event owns the Bitmap (the one kind of
// picture that crosses threads) and lParam points at it, so the bitmap is freed with the event:
// after the receiving window handled it, also when handling failed, or when the event is dropped
// because its window went away first.
#pragma once

#include "platform/headless/bitmap.h"
#include "platform/headless/posted_message.h"

namespace platform {

class ImageMessageEvent : public MessageEvent {
public:
    ImageMessageEvent(unsigned msg, quintptr wParam, Bitmap image);
    Bitmap image;
};

// PostMessage(target, msg, wParam, the bitmap). Callable from any thread.
void postImageMessage(QObject* target, unsigned msg, quintptr wParam, Bitmap image);

// The bitmap a message carries, or nullptr when it was posted without one.
const Bitmap* messageImage(const MessageEvent& message);

} // namespace platform
