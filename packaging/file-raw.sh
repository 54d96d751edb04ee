#!/bin/sh
# file(1) as the package generator calls it, but printing file names as they are: the plug-ins
# live under "РС", which file would otherwise print as octal escapes the generator cannot use.
exec file -r "$@"
