# shellcheck shell=bash disable=SC2034 # the variables are for the scripts that source this
# What the scripts that configure a build folder share. Source this file once
# the packages are installed: it looks for ccache.

# read_steps ARGS...: a script that builds, then runs what it built, can be
# asked for one half alone. A leading --build-only or --no-build sets
# build_step and run_step (both yes without one); step_args holds the
# arguments after it.
read_steps() {
  build_step=yes
  run_step=yes
  case ${1:-} in
  --build-only) run_step=no; shift ;;
  --no-build) build_step=no; shift ;;
  esac
  step_args=("$@")
}

# build_options: what every configure of a build folder takes besides its own
# options. In a CI run (CI=true) any compiler warning is an error; a
# developer's build only shows them, as a newer compiler may find new ones.
build_options=(-DCMAKE_COMPILE_WARNING_AS_ERROR=OFF)
[ "${CI:-}" != true ] || build_options=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)

# Where ccache is installed, every build compiles through it, so that a file
# compiled before with the same flags is not compiled again: the folders
# these scripts configure (those configured before too, through the option),
# and through the environment those that the programs they start configure
# afresh (the Debian package's). A clone made anywhere finds the same cache:
# paths count from the sources' root, the folder a compiler runs in is left
# out of the key, and the cache stays the user's (~/.cache/ccache unless set)
# also where a build moves HOME, as debhelper does.
if command -v ccache >/dev/null; then
  build_options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
  CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
  export CCACHE_DIR CCACHE_BASEDIR CCACHE_NOHASHDIR=true
fi
