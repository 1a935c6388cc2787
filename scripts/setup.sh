# Shared set-up for ./run, ./test and ./benchmark: install what is missing, configure, build.
# Sourced; expects $top to be the checkout.

# desktop-file-utils checks the desktop entry; the fonts are a fresh Debian desktop's
# (GNOME's, Plasma's, the others'), which the layout tests measure captions in.
# ncurses draws the text view, tmux runs it in its tests. clang and libclang-rt-dev
# (the fuzzers' runtime) both come from Debian's llvm-defaults, so they are one version.
# The Debian package takes its dependencies from dpkg-shlibdeps (dpkg-dev, with file);
# scdoc makes the manual page, and the package's check renders it (groff-base), loads the
# completion (bash-completion) and validates the metainfo (appstream).
# ser2net shares pseudo-terminals over the network in the tests of network ports.
# xvfb (Xvfb and xvfb-run, which needs xauth, only recommended) gives ./benchmark a real X
# server, whose round trips and drawing a person's desktop pays and the offscreen platform skips.
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
          libncurses-dev ncurses-term tmux clang libclang-rt-dev clang-format desktop-file-utils
          fonts-dejavu-core fonts-cantarell fonts-noto-core
          dpkg-dev file scdoc groff-base bash-completion appstream ser2net xvfb xauth)

ensure_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Quorvel needs these packages; install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build DIR [cmake options...] [--target T]
build() {
  local dir=$1; shift
  local opts=() target=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then target=(--target "$2"); shift 2; else opts+=("$1"); shift; fi
  done
  cmake -S "$top" -B "$dir" -G Ninja "${opts[@]}" >/dev/null
  cmake --build "$dir" "${target[@]}"
}

# check_format: every C++ file of the checkout matches .clang-format.
check_format() {
  local bad
  bad=$(cd "$top" && git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | while read -r f; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "$f"
  done)
  if [ -n "$bad" ]; then
    echo "These files do not match .clang-format (run clang-format -i on them):" >&2
    echo "$bad" >&2
    return 1
  fi
}
