#include "Resource.h"

#include <unordered_map>

namespace {

struct CDialogResource {
  const win::DialogTemplate* pTemplate;
  const win::DialogInit* pInit;
};

// Built on first use, so registration works from static initialisation too.
std::unordered_map<int, CDialogResource>& Dialogs() {
  static std::unordered_map<int, CDialogResource> dialogs;
  return dialogs;
}

std::unordered_map<int, HICON>& Icons() {
  static std::unordered_map<int, HICON> icons;
  return icons;
}

template <typename Map>
auto Find(const Map& map, int id) -> const typename Map::mapped_type* {
  auto it = map.find(id);
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

namespace win {

void RegisterDialogResource(int id, const DialogTemplate& tmpl, const DialogInit& init) {
  Dialogs()[id] = {&tmpl, &init};
}

void RegisterIconResource(const IconRec& icon) { Icons()[icon.id] = &icon; }

const DialogTemplate* FindDialogResource(int id) {
  const CDialogResource* p = Find(Dialogs(), id);
  return p ? p->pTemplate : nullptr;
}

const DialogInit* FindDialogInitResource(int id) {
  const CDialogResource* p = Find(Dialogs(), id);
  return p ? p->pInit : nullptr;
}

HICON FindIconResource(int id) {
  const HICON* p = Find(Icons(), id);
  return p ? *p : nullptr;
}

}  // namespace win

HICON LoadIcon(int id) { return win::FindIconResource(id); }
