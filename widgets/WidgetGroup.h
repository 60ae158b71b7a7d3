// The controls of one screen: which components the group owns, which are
// shown, drawing the shown ones and handing them pointer positions.
#pragma once

#include <cstdint>
#include <set>

class Component;
class ImageBank;

class WidgetGroup {
public:
    // The bank, when given, brackets the drawing; it is not owned.
    explicit WidgetGroup(ImageBank* imageBank = nullptr) : imageBank(imageBank) {}
    // Deletes no component.
    virtual ~WidgetGroup() = default;
    WidgetGroup(const WidgetGroup&) = delete;
    WidgetGroup& operator=(const WidgetGroup&) = delete;

    void add(Component* component);
    // The component is not deleted and stays shown if it was; its creator
    // deletes it after hiding it.
    void remove(Component* component);
    void show(Component* component);
    void hide(Component* component);
    void showAll();
    void hideAll();
    // Deletes every member and stops showing it; components shown but not
    // owned stay shown.
    void deleteAll();

    void draw();
    // True when at least one shown component was under the pointer.
    bool mouseDown(std::int32_t px, std::int32_t py);
    // True when at least one shown component was pressed before its call.
    bool mouseUp(std::int32_t px, std::int32_t py);
    bool mouseMove(std::int32_t px, std::int32_t py);

    bool isMember(Component* component) const { return members.count(component) != 0; }
    bool isShown(Component* component) const { return shown.count(component) != 0; }
    const std::set<Component*>& getMembers() const { return members; }
    const std::set<Component*>& getShown() const { return shown; }

private:
    // Both ordered by pointer value. While the group draws or dispatches,
    // listeners do not change these sets.
    std::set<Component*> members;
    std::set<Component*> shown;
    ImageBank* imageBank;
};
