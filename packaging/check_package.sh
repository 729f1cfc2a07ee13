#!/bin/bash
# Checks the installation and the Debian package of a built tree, as CTest's "packaging" test:
#
#   packaging/check_package.sh BUILD_DIR [CMAKE [CPACK]]
#
# Installs into a scratch DESTDIR, validates the desktop entry, the AppStream metainfo and the manual
# page, makes the .deb with cpack, checks its contents and runs lintian on it, installs it with dpkg into
# a scratch root and runs the program from there (and imports the Python module as another user); installs
# into a home's ~/.local, where that user's python3 imports the module; and checks that an unwritable prefix
# fails plainly.
# Every check runs; the script fails when any of them failed. Each step prints its time.
set -uo pipefail

build=$(cd "${1:?usage: check_package.sh BUILD_DIR [CMAKE [CPACK]]}" && pwd) || exit 2
cmake=${2:-cmake}
cpack=${3:-cpack}
app=io.github.bhsim.Bhsim
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=bhsim_${version}_${arch}.deb

# What is installed, relative to the prefix, and its mode.
declare -A modes=(
  [bin/bhsim]=755
  [share/applications/$app.desktop]=644
  [share/icons/hicolor/scalable/apps/$app.svg]=644
  [share/metainfo/$app.metainfo.xml]=644
  [share/man/man1/bhsim.1.gz]=644
  [share/doc/bhsim/copyright]=644
  [share/doc/bhsim/changelog.gz]=644
)
# The Python module, where the build has it: Debian's path for python3.
python=$(sed -n 's/^Python3_EXECUTABLE:[A-Z]*=//p' "$build/CMakeCache.txt")
if grep -qx 'BHSIM_PYTHON:BOOL=ON' "$build/CMakeCache.txt"; then
  module=bhsim$("$python" -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
  modes[lib/python3/dist-packages/$module]=644
  modes[lib/python3/dist-packages/bhsim.pyi]=644
else
  python=""
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
destdir=$work/destdir
usr=$destdir/usr
root=$work/root
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs one step (a function) and prints how long it took.
step() {
  local start end
  echo "== $1"
  start=$(date +%s%N)
  "$1"
  end=$(date +%s%N)
  printf '   %s: %d.%01d s\n' "$1" $(((end - start) / 1000000000)) $(((end - start) / 100000000 % 10))
}

install_tree() {
  DESTDIR=$destdir "$cmake" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$work/install.log")"
  local path mode
  for path in "${!modes[@]}"; do
    if [ ! -f "$usr/$path" ]; then
      fail "not installed: /usr/$path"
      continue
    fi
    mode=$(stat -c %a "$usr/$path")
    [ "$mode" = "${modes[$path]}" ] || fail "/usr/$path has mode $mode, not ${modes[$path]}"
  done
  # gzip -n: no file name and no time stamp in the header (flag byte 0, mtime 0).
  for path in share/man/man1/bhsim.1.gz share/doc/bhsim/changelog.gz; do
    [ "$(od -An -tx1 -j3 -N5 "$usr/$path" | tr -d ' ')" = 0000000000 ] ||
      fail "/usr/$path carries a name or a time stamp"
  done
  zcat "$usr/share/doc/bhsim/changelog.gz" | head -1 | grep -q "^bhsim ($version) " ||
    fail "the changelog's first entry is not version $version"
}

check_desktop_entry() {
  local file=$usr/share/applications/$app.desktop out
  out=$(desktop-file-validate "$file" 2>&1) || fail "desktop-file-validate: $out"
  # Hints (such as two main categories, which the entry wants) are fine; warnings and errors are not.
  grep -v ': hint: ' <<<"$out" | grep . && fail "desktop-file-validate reports the lines above"
  grep -qx 'Exec=bhsim' "$file" || fail "the desktop entry does not run bhsim"
  grep -qx "Icon=$app" "$file" || fail "the desktop entry's icon is not $app"
  xmllint --noout "$usr/share/icons/hicolor/scalable/apps/$app.svg" ||
    fail "the icon is not well-formed XML"
  [ "$(xmllint --xpath 'local-name(/*)' "$usr/share/icons/hicolor/scalable/apps/$app.svg")" = svg ] ||
    fail "the icon is not an SVG image"
}

check_metainfo() {
  local file=$usr/share/metainfo/$app.metainfo.xml out
  out=$(appstreamcli validate --no-net "$file" 2>&1) || fail "appstreamcli validate: $out"
  grep -E '^[EW]: ' <<<"$out" && fail "appstreamcli reports the lines above"
  appstreamcli validate-tree --no-net "$usr" >"$work/tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$work/tree.log")"
  grep -q "<release version=\"$version\"" "$file" || fail "the metainfo's release is not $version"
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$file" ||
    fail "the metainfo does not launch $app.desktop"
}

check_manual() {
  local page=$usr/share/man/man1/bhsim.1.gz warnings text option
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man --warnings: $warnings"
  zcat "$page" | grep -q "^\.TH BHSIM 1 .*\"bhsim $version\"" || fail "the manual page is not of $version"
  # Every option the batch mode names in its usage has its place in the manual page.
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$page" 2>/dev/null)
  for option in $("$usr/bin/bhsim" --batch --help | grep -oE -- '--[a-z-]+' | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "the manual page does not mention $option"
  done
  # Every field a run reads, with its caption, defaults and meaning as the usage lists them.
  local name caption defaults meaning
  while IFS=$'\t' read -r name caption defaults meaning; do
    grep -qF -- "$caption; defaults $defaults: $meaning" <<<"$text" ||
      fail "the manual page does not give $name as $caption; defaults $defaults: $meaning"
  done < <("$usr/bin/bhsim" --batch --help | sed -n '/^Fields a run reads/,/^Fields the run only writes/p' |
             sed '1,2d;$d' | sed -E 's/^  (.{11}) (.{14}) (.{8}) (.{8}) (.{8}) (.*)$/\1\t\2\t\3, \4, \5\t\6/' |
             sed -E 's/ +\t/\t/g; s/ +, /, /g')
}

make_package() {
  "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
  [ -f "$work/pkg/$deb" ] || fail "cpack made no $deb: $(ls "$work/pkg")"
}

check_package_contents() {
  local listing path
  listing=$(dpkg-deb -c "$work/pkg/$deb") || fail "dpkg-deb -c $deb"
  for path in "${!modes[@]}"; do
    grep -qE "^-rw[-x]r-[-x]r-[-x] root/root .* \./usr/$path\$" <<<"$listing" ||
      fail "the package lacks ./usr/$path (root/root)"
  done
  grep -vE ' \./usr/' <<<"$listing" && fail "the package holds the entries above outside /usr"
  grep -E ' \./usr/local|_CPack_Packages' <<<"$listing" && fail "the package holds the entries above"
  grep -F "$build" <<<"$listing" && fail "the package holds paths of the build tree"
  [ "$(dpkg-deb -f "$work/pkg/$deb" Version)" = "$version" ] || fail "the package's version is not $version"
  [ "$(dpkg-deb -f "$work/pkg/$deb" Section)" = science ] || fail "the package's section is not science"
  # The dependencies come from dpkg-shlibdeps: the Qt widgets library among them.
  dpkg-deb -f "$work/pkg/$deb" Depends | grep -q 'libqt6widgets6' ||
    fail "the package does not depend on libqt6widgets6: $(dpkg-deb -f "$work/pkg/$deb" Depends)"
  if [ -n "$python" ]; then
    dpkg-deb -f "$work/pkg/$deb" Depends | grep -q 'python3-numpy' ||
      fail "the package does not depend on python3-numpy: $(dpkg-deb -f "$work/pkg/$deb" Depends)"
  fi
}

run_lintian() {
  # lintian warns on stderr that it runs as root; that is the only line left out.
  lintian --fail-on error,warning --display-info "$work/pkg/$deb" 2> >(grep -v 'root privileges' >&2) ||
    fail "lintian reports errors or warnings"
}

install_package() {
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
  # Only the package itself: its libraries are the host's, which the program below runs with.
  dpkg --root="$root" --force-not-root --force-script-chrootless --force-depends -i "$work/pkg/$deb" \
    >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
  dpkg --root="$root" -s bhsim 2>/dev/null | grep -qx 'Status: install ok installed' ||
    fail "dpkg does not list bhsim as installed"
  local bin=$root/usr/bin/bhsim out
  # No display and no platform chosen: the program must not open a window here.
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$bin" --batch --help >/dev/null ||
    fail "the installed bhsim --batch --help fails"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$bin" --version 2>&1)
  if ! grep -qxE 'bhsim [0-9]+\.[0-9]+\.[0-9]+' <<<"$out" || [ "$out" != "bhsim $version" ]; then
    fail "the installed bhsim --version prints '$out', not 'bhsim $version'"
  fi
  [ -z "$python" ] && return
  # Another user imports the module from the package's files (the root stands in for /).
  chmod a+rx "$work"
  out=$(runuser -u nobody -- env -i PYTHONPATH="$root/usr/lib/python3/dist-packages" "$python" -c \
    'import bhsim; print(bhsim.__version__, bhsim.run(2, {"Tmaxcount": 1000}).steps > 0)' 2>&1)
  [ "$out" = "$version True" ] || fail "the packaged module, imported as nobody, gives '$out'"
}

# cmake --install --prefix ~/.local: the user's own python3 finds the module there.
install_home() {
  [ -z "$python" ] && return
  "$cmake" --install "$build" --prefix "$work/home/.local" >"$work/home.log" 2>&1 ||
    fail "cmake --install --prefix ~/.local: $(cat "$work/home.log")"
  out=$(env -i HOME="$work/home" "$python" -c 'import bhsim; print(bhsim.__version__)' 2>&1)
  [ "$out" = "$version" ] || fail "the module installed into ~/.local, imported there, gives '$out'"
}

refuse_unwritable_prefix() {
  local out
  if out=$("$cmake" --install "$build" --prefix /proc/forbidden 2>&1); then
    fail "cmake --install into /proc/forbidden succeeded"
  fi
  grep -q 'cannot create directory: /proc/forbidden' <<<"$out" ||
    fail "cmake --install into /proc/forbidden gives no plain reason: $out"
}

total_start=$(date +%s)
step install_tree
step check_desktop_entry
step check_metainfo
step check_manual
step make_package
step check_package_contents
step run_lintian
step install_package
step install_home
step refuse_unwritable_prefix
echo "== $(($(date +%s) - total_start)) s in all, $failures failure(s)"
[ "$failures" -eq 0 ]
