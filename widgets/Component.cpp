#include "widgets/Component.h"

Component::Component(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
    : x(x), y(y), width(width), height(height)
{
}

bool Component::contains(std::int32_t px, std::int32_t py)
{
    // Compared as differences in 64 bits so a rectangle near the edge of
    // the integer range cannot overflow.
    const std::int64_t dx = static_cast<std::int64_t>(px) - x;
    const std::int64_t dy = static_cast<std::int64_t>(py) - y;
    return dx >= 0 && dy >= 0 && dx < width && dy < height;
}

void Component::addListener(ComponentListener* listener)
{
    listeners.insert(listener);
}

void Component::removeListener(ComponentListener* listener)
{
    listeners.erase(listener);
}

void Component::removeAllListeners()
{
    listeners.clear();
}

void Component::mouseDown(std::int32_t px, std::int32_t py)
{
    if (!contains(px, py))
        return;
    pressed = true;
    for (ComponentListener* listener : listeners)
        listener->componentPressed(this, px, py);
}

void Component::mouseUp(std::int32_t px, std::int32_t py)
{
    if (!pressed)
        return;
    pressed = false;
    for (ComponentListener* listener : listeners)
        listener->componentReleased(this, px, py);
}

void Component::mouseMove(std::int32_t px, std::int32_t py)
{
    if (!pressed)
        return;
    for (ComponentListener* listener : listeners)
        listener->componentDragged(this, px, py);
}

void Component::notifyAction()
{
    for (ComponentListener* listener : listeners)
        listener->componentAction(this);
}
