// What the host does with a gauge's element list: string elements get a
// text buffer at install, their update callbacks are called at update, and
// the buffers go at kill.
#include <map>
#include <vector>

#include "host/host.h"
#include "host/host_internal.h"

namespace host {

namespace {

std::map<StringElement*, std::vector<char>> textBuffers;

const int kMaxDepth = 64;  // a malformed list cannot send the walk round forever

template <typename Visit>
void Walk(ElementHeader* element, Visit visit, int depth) {
    if (element == nullptr || depth > kMaxDepth) return;
    visit(element);
    if (element->next_element == nullptr) return;
    for (ElementHeader** next = element->next_element; *next != nullptr; ++next) Walk(*next, visit, depth + 1);
}

StringElement* AsString(ElementHeader* element) {
    return element->element_type == kElementString ? reinterpret_cast<StringElement*>(element) : nullptr;
}

}  // namespace

void InstallElements(ElementHeader* first) {
    Walk(first, [](ElementHeader* element) {
        StringElement* text = AsString(element);
        if (text == nullptr) return;
        std::vector<char>& buffer = textBuffers[text];
        buffer.assign(static_cast<size_t>(text->max_string_length) + 1, '\0');
        text->string = buffer.data();
    }, 0);
}

void UpdateElements(ElementHeader* first) {
    Walk(first, [](ElementHeader* element) {
        StringElement* text = AsString(element);
        if (text != nullptr && text->update_cb != nullptr) text->update_cb(text);
    }, 0);
}

void KillElements(ElementHeader* first) {
    Walk(first, [](ElementHeader* element) {
        StringElement* text = AsString(element);
        if (text == nullptr) return;
        auto found = textBuffers.find(text);
        if (found == textBuffers.end()) return;
        text->string = nullptr;
        textBuffers.erase(found);
    }, 0);
}

void ReleaseTextBuffers() {
    for (auto& entry : textBuffers) entry.first->string = nullptr;
    textBuffers.clear();
}

std::vector<StringElement*> StringElements(ElementHeader* first) {
    std::vector<StringElement*> found;
    Walk(first, [&found](ElementHeader* element) {
        StringElement* text = AsString(element);
        if (text != nullptr) found.push_back(text);
    }, 0);
    return found;
}

}  // namespace host
