#!/usr/bin/env bash
# The installed program, checked as a user's system would see it.
#   install_test.sh install BUILD ROOT      cmake --install BUILD into the DESTDIR ROOT (prefix /usr)
#   install_test.sh programs BUILD ROOT SAMPLE
#                                           the files in place, nothing of BUILD in the programs,
#                                           and the installed tallyvane-batch printing what the
#                                           build's does with BUILD out of reach
#   install_test.sh desktop ROOT            desktop-file-validate on the desktop entry
#   install_test.sh appstream ROOT          appstreamcli validate on the AppStream data
#   install_test.sh man ROOT                man -l renders every page without a warning
#   install_test.sh deb BUILD OUT           cpack -G DEB, its contents, and lintian without error
# A check whose tool is missing exits with 77 (skipped).
set -euo pipefail
mode=$1; shift
id=org.tallyvane.Tallyvane
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }; }

case "$mode" in
install)
    build=$1 root=$2
    rm -rf "$root"
    DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
    ;;
programs)
    build=$(realpath "$1") root=$2 sample=$3
    usr="$root/usr"
    for f in bin/tallyvane bin/tallyvane-batch bin/setupnote share/tallyvane/copy.wav \
             share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
             share/icons/hicolor/scalable/apps/$id.svg \
             share/man/man1/tallyvane.1.gz share/man/man1/tallyvane-batch.1.gz \
             share/man/man1/setupnote.1.gz share/doc/tallyvane/copyright share/doc/tallyvane/changelog.gz; do
        [[ -s "$usr/$f" ]] || fail "$f is not installed"
    done
    for size in 16 22 24 32 48 64 128 256; do
        png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
        [[ -s "$png" ]] || fail "no ${size}px icon"
        if command -v file >/dev/null; then
            file "$png" | grep -q "$size x $size" || fail "the ${size}px icon is $(file -b "$png")"
        fi
    done
    work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
    # What the programs use at run time names no path of the build (their debugging information
    # may: it says where the sources were compiled; so do a sanitizer's own records).
    for program in "$usr"/bin/*; do
        [[ -n "${TALLYVANE_SANITIZED:-}" ]] && break
        strip -o "$work/stripped" "$program"
        ! grep -qF "$build" "$work/stripped" ||
            fail "$(basename "$program") names the build folder $build"
    done
    cp "$sample" "$work/book.xlsx"
    # The installed tree where a user's would be: outside the build folder.
    cp -a "$usr" "$work/usr"
    usr="$work/usr"
    "$build/app/tallyvane-batch" "$work/book.xlsx" >"$work/expected"
    # The build folder out of reach: hidden under an empty file system where that can be done
    # (as root, in a mount namespace of its own), otherwise the programs run from elsewhere.
    hide=""
    if [[ $(id -u) == 0 ]] && command -v unshare >/dev/null && unshare -m true 2>/dev/null; then
        hide="mount -t tmpfs none '$build' &&"
    fi
    run() { (cd "$work" && unshare_or_not bash -c "$hide $*"); }
    unshare_or_not() { if [[ -n "$hide" ]]; then unshare -m "$@"; else "$@"; fi; }
    run "'$usr/bin/tallyvane-batch' book.xlsx" >"$work/installed" || fail "the installed tallyvane-batch failed"
    cmp -s "$work/expected" "$work/installed" || fail "the installed tallyvane-batch prints other text"
    [[ -n "$hide" ]] && { run "test ! -e '$build/app'" || fail "the build folder was not hidden"; }
    for program in tallyvane tallyvane-batch setupnote; do
        version=$(run "'$usr/bin/$program' --version") || fail "$program --version failed"
        [[ "$version" == "$program "[0-9]* ]] || fail "$program --version says \"$version\""
        # Read whole: grep -q would stop reading at the first line, and a long help would then
        # end on a broken pipe.
        help=$(run "'$usr/bin/$program' --help") || fail "$program --help failed"
        grep -q "Usage: $program" <<<"$help" || fail "$program --help"
    done
    echo "ok${hide:+ (build folder hidden)}"
    ;;
desktop)
    need desktop-file-validate
    desktop-file-validate "$1/usr/share/applications/$id.desktop"
    grep -q "^MimeType=.*spreadsheetml.sheet;.*macroEnabled.12;text/csv;" \
        "$1/usr/share/applications/$id.desktop" || fail "the desktop entry does not open workbooks"
    ;;
appstream)
    need appstreamcli
    appstreamcli validate --no-net "$1/usr/share/metainfo/$id.metainfo.xml"
    ;;
man)
    need man
    for page in "$1"/usr/share/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z "$warnings" ]] || fail "$(basename "$page"): $warnings"
        LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" | grep -q "EXIT STATUS\|DESCRIPTION" ||
            fail "$(basename "$page") renders empty"
    done
    echo ok
    ;;
deb)
    need cpack; need dpkg-shlibdeps; need dpkg-deb; need file
    build=$1 out=$2
    rm -rf "$out"; mkdir -p "$out"
    (cd "$out" && cpack -G DEB --config "$(realpath "$build")/CPackConfig.cmake" >cpack.log 2>&1) ||
        { cat "$out/cpack.log"; fail "cpack failed"; }
    deb=$(ls "$out"/tallyvane_*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt6widgets6 libqt6charts6 libzip4 libexpat1 libpugixml1v5 qt6-qpa-plugins; do
        [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib: $depends"
    done
    contents=$(dpkg-deb -c "$deb")
    for f in ./usr/bin/tallyvane ./usr/bin/tallyvane-batch ./usr/share/applications/$id.desktop \
             ./usr/share/man/man1/tallyvane-batch.1.gz; do
        grep -qF " $f" <<<"$contents" || fail "the package lacks $f"
    done
    if command -v lintian >/dev/null; then
        lintian --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 || true
        cat "$out/lintian.txt"
        ! grep -q "^E:" "$out/lintian.txt" || fail "lintian reports errors"
    else
        echo "lintian is not installed: the package was not checked by it"
    fi
    echo "ok: $(basename "$deb")"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
