#include "widgets/WidgetGroup.h"

#include "image/ImageBank.h"
#include "widgets/Component.h"

void WidgetGroup::add(Component* component)
{
    if (component)
        members.insert(component);
}

void WidgetGroup::remove(Component* component)
{
    if (component)
        members.erase(component);
}

void WidgetGroup::show(Component* component)
{
    if (!component)
        return;
    members.insert(component);
    shown.insert(component);
}

void WidgetGroup::hide(Component* component)
{
    shown.erase(component);
}

void WidgetGroup::showAll()
{
    shown.insert(members.begin(), members.end());
}

void WidgetGroup::hideAll()
{
    shown.clear();
}

void WidgetGroup::deleteAll()
{
    // A deleted member must not stay shown: the next draw or pointer event
    // would reach freed memory. Shown components the group does not own
    // (taken out with remove) stay shown.
    for (Component* component : members) {
        shown.erase(component);
        delete component;
    }
    members.clear();
}

void WidgetGroup::draw()
{
    if (imageBank)
        imageBank->beginDrawing();
    for (Component* component : shown)
        component->draw();
    if (imageBank)
        imageBank->endDrawing();
}

bool WidgetGroup::mouseDown(std::int32_t px, std::int32_t py)
{
    // No z-order: every shown component under the pointer gets the press.
    bool taken = false;
    for (Component* component : shown)
        if (component->contains(px, py)) {
            component->mouseDown(px, py);
            taken = true;
        }
    return taken;
}

bool WidgetGroup::mouseUp(std::int32_t px, std::int32_t py)
{
    bool taken = false;
    for (Component* component : shown) {
        if (component->isPressed())
            taken = true;
        component->mouseUp(px, py);
    }
    return taken;
}

bool WidgetGroup::mouseMove(std::int32_t px, std::int32_t py)
{
    bool taken = false;
    for (Component* component : shown) {
        if (component->isPressed())
            taken = true;
        component->mouseMove(px, py);
    }
    return taken;
}
