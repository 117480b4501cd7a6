#pragma once
// Which viewers exist right now. Dialogs, menus, message boxes, the mail
// program, printing and page functions all run nested message loops, and in
// any of them the page may remove its element: NPP_Destroy frees the viewer
// at once, and the call that opened the loop returns into freed memory. Such
// a call takes a ViewerHandle before the loop and asks it afterwards; the
// handle never reads the viewer, so a freed one, or another viewer that
// happens to reuse its address, cannot fool it.
#include <cstddef>
#include <cstdint>

struct Viewer;

// Every Viewer holds one: made with the viewer, however it is made, it joins
// the list of live viewers under a serial number no later viewer of the
// process shares; destroyed with it, it leaves the list.
class ViewerLife {
public:
    ViewerLife();
    ~ViewerLife();
    ViewerLife(const ViewerLife&);  // a copy is another viewer: a serial of its own
    ViewerLife& operator=(const ViewerLife&) { return *this; }
    uint64_t serial() const { return serial_; }

private:
    friend void viewer_registry_add(Viewer* v);
    uint64_t serial_;
};

// A viewer's identity: where its life record was and the record's serial.
class ViewerHandle {
public:
    ViewerHandle() = default;
    explicit ViewerHandle(const Viewer* v);
    // The viewer while it lives; null once it was destroyed (or for no viewer).
    Viewer* get() const;
    bool alive() const { return get() != nullptr; }

private:
    Viewer* v_ = nullptr;
    const ViewerLife* life_ = nullptr;
    uint64_t serial_ = 0;
};

// Marks the viewer busy for a modal operation (a dialog, the mail program, a
// print request, an upload) so that a second one is refused instead of
// nesting, and lets go of the mark only if the viewer outlived the loop.
class ViewerBusyScope {
public:
    explicit ViewerBusyScope(Viewer* v);
    ~ViewerBusyScope();
    ViewerBusyScope(const ViewerBusyScope&) = delete;
    ViewerBusyScope& operator=(const ViewerBusyScope&) = delete;
    // False when another modal operation was already running.
    bool entered() const { return entered_; }
    // After a nested loop: the viewer when it is still there, else null.
    Viewer* viewer() const { return handle_.get(); }

private:
    ViewerHandle handle_;
    bool entered_;
};

// For tests that act out a destruction without freeing the record: the viewer
// leaves the list (its handles answer null) and may come back as a new one.
void viewer_registry_remove(Viewer* v);
void viewer_registry_add(Viewer* v);

// Where viewer records come from. Normally the heap; a debugging host may
// instead keep freed records unreadable, so that any use of a viewer after
// its destruction faults at once rather than reading stale bytes.
struct ViewerMemory {
    void* (*allocate)(size_t size) = nullptr;  // null: operator new
    void (*release)(void* p, size_t size) = nullptr;
};
void viewer_set_memory(const ViewerMemory& m);
void* viewer_memory_allocate(size_t size);
void viewer_memory_release(void* p, size_t size);
