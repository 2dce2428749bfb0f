# shellcheck shell=bash disable=SC2034 # the lists are for the scripts that source this
# The Debian packages Kelvo's scripts install, one list per purpose; README
# names the same. Source this file.

# Building and running the program: ./run.sh installs these and no more. A
# package the program needs to build or to run belongs here.
run_packages=(
  cmake ninja-build g++ pkgconf
  qt6-base-dev
  # X Direct Save talks to the X server through xcb
  libxcb1-dev
  # the window in a Wayland-only session
  qt6-wayland
  # Qt's own buttons and dialogs in Japanese
  qt6-translations-l10n
  # the windows' English texts, compiled from their catalogue by Qt Linguist's tools
  qt6-tools-dev qt6-l10n-tools
  # the icon, drawn from its SVG
  qt6-svg-dev
  # WebP previews through Qt's plugins, AVIF through libavif
  qt6-image-formats-plugins libavif-dev
  # glyphs for the window's Japanese texts
  fonts-noto-cjk
  # the collection's index; search's full case folding
  libsqlite3-dev libicu-dev
  # the man page, from its source
  scdoc
  # the icon's PNG sizes, drawn from its SVG
  librsvg2-bin
)

# The tests and benchmarks, besides the above (./test.sh).
test_packages=(
  libgtest-dev libbenchmark-dev
  # the fault and end-to-end test drivers, the benchmark summaries
  python3
  # the browser extension's tests (node --test)
  nodejs
  # the real program on a virtual X display, and the pointer that drags
  xvfb xdotool
  # the real program on a headless Wayland compositor
  weston
  # validating the menu entry and the metainfo
  desktop-file-utils appstream
  # AVIF and animated WebP files for the picture tests, made by the real encoders
  libavif-bin webp
  # the disk syncs of a capture, counted by the benchmark script
  strace
  # the window's first paint, timed by the X server's damage reports
  libxcb-damage0-dev
  # the browser tests look for the host's process and for listening sockets
  procps iproute2
  # the benchmark of saving from the browser's menu compares with curl
  curl
  # the sources' layout, checked against .clang-format
  clang-format
  # the man page as man shows it
  man-db bsdextrautils
  # the zsh completion, as an interactive zsh offers it
  zsh
  # a file compiled before is not compiled again, by any of the test run's builds
  ccache
  # the lint gate (layout.tidy)
  clang-tidy
)

# Building the Debian package and checking it (scripts/package.sh).
package_packages=(
  build-essential devscripts debhelper lintian fakeroot
)

# The fuzz targets, built with clang (libFuzzer comes with its runtime).
fuzz_packages=(
  clang libclang-rt-14-dev
)

# The browsers the end-to-end tests drag images out of. Each is installed on
# its own: one that cannot be installed has its tests skipped.
e2e_packages=(
  chromium firefox-esr
)
