#!/bin/sh
# Strips a program for the package as Debian's own tools do: no symbols, no compiler notes.
exec strip --remove-section=.comment --remove-section=.note "$@"
