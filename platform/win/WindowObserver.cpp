#include "WindowObserver.h"

#include <algorithm>

namespace win {

namespace {
std::vector<CWindowObserver*> g_observers;
}  // namespace

namespace detail {
const std::vector<CWindowObserver*>& Observers() { return g_observers; }
}  // namespace detail

void AddWindowObserver(CWindowObserver* pObserver) { g_observers.push_back(pObserver); }
void RemoveWindowObserver(CWindowObserver* pObserver) { std::erase(g_observers, pObserver); }

}  // namespace win
