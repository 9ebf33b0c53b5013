#!/bin/sh
# makensis building a 64-bit installer: Debian's makensis builds 32-bit ones by default, which a
# 64-bit Windows runs only with its 32-bit half (and a 64-bit-only Wine not at all). CPack passes
# no option of its own to makensis, so it calls this instead.
exec makensis "-XTarget amd64-unicode" "$@"
