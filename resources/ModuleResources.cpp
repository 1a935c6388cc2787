#include "ModuleResources.h"

namespace resources {

void RegisterModuleResources() {
  detail::RegisterDialog102();
  detail::RegisterIcon128();
}

}  // namespace resources
