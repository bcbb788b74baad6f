#!/bin/sh
# Fails, and removes the package, when a built Debian package would not run
# where it is installed: its Depends must name libedit and the C++ runtime
# (CPack finds them with dpkg-shlibdeps; without it the field stays empty),
# and it recommends man-db, since the greeting points to the manual page.
#   scripts/check-package.sh PACKAGE.deb
set -eu
package=$1
depends=$(dpkg-deb -f "$package" Depends)
recommends=$(dpkg-deb -f "$package" Recommends)
problem=""
case $depends in *libedit*) ;; *) problem="$problem; Depends lacks libedit" ;; esac
case $depends in *libstdc++*) ;; *) problem="$problem; Depends lacks the C++ runtime (libstdc++)" ;; esac
case $recommends in *man-db*) ;; *) problem="$problem; Recommends lacks man-db" ;; esac
if [ -n "$problem" ]; then
    rm -f "$package"
    echo "$package removed${problem}" >&2
    exit 1
fi
echo "$package: Depends: $depends; Recommends: $recommends" >&2
