// The program's resources: dialog template 102 with its list contents and
// icon group 128. The application registers them with the window system at
// start.
#pragma once

namespace resources {

void RegisterModuleResources();

namespace detail {
void RegisterDialog102();
void RegisterIcon128();
}  // namespace detail

}  // namespace resources
