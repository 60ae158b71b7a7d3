// The toolkit's base control: a hit rectangle, a press state and the
// listeners told of presses, releases, drags and actions.
#pragma once

#include <cstdint>
#include <set>

class Component;

// Implemented by the toolkit's users. Every notification has an empty
// default, so a listener overrides only what it cares about.
class ComponentListener {
public:
    virtual ~ComponentListener() = default;
    virtual void componentAction(Component* source) { (void)source; }
    virtual void componentPressed(Component* source, std::int32_t px, std::int32_t py)
    {
        (void)source, (void)px, (void)py;
    }
    virtual void componentReleased(Component* source, std::int32_t px, std::int32_t py)
    {
        (void)source, (void)px, (void)py;
    }
    virtual void componentDragged(Component* source, std::int32_t px, std::int32_t py)
    {
        (void)source, (void)px, (void)py;
    }
};

class Component {
public:
    Component(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    virtual void setX(std::int32_t value) { x = value; }
    virtual void setY(std::int32_t value) { y = value; }
    virtual void setWidth(std::int32_t value) { width = value; }
    virtual void setHeight(std::int32_t value) { height = value; }
    virtual std::int32_t getX() { return x; }
    virtual std::int32_t getY() { return y; }
    virtual std::int32_t getWidth() { return width; }
    virtual std::int32_t getHeight() { return height; }
    // The right and bottom edges are outside; an empty rectangle is never hit.
    virtual bool contains(std::int32_t px, std::int32_t py);
    virtual bool isPressed() { return pressed; }
    // Listeners are not owned. While a component tells its listeners of an
    // event, none may be added or removed and the component may not be
    // deleted: the notification walks the set in place.
    virtual void addListener(ComponentListener* listener);
    virtual void removeListener(ComponentListener* listener);
    virtual void removeAllListeners();
    virtual void mouseDown(std::int32_t px, std::int32_t py);
    virtual void mouseUp(std::int32_t px, std::int32_t py);
    virtual void mouseMove(std::int32_t px, std::int32_t py);
    virtual void draw() {}

    std::int32_t getFrame() const { return frame; }
    std::int32_t getFlags() const { return flags; }

protected:
    void notifyAction();

    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    std::int32_t frame = 0;
    std::int32_t flags = 9;
    bool pressed = false;
    // Ordered by pointer value: listeners hear events in address order.
    std::set<ComponentListener*> listeners;
};
