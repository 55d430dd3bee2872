#!/usr/bin/env bash
# Checks that every folder includes only its own headers and those of the
# folders it may use (the README's layout table), so that no include runs
# back up a layer, and that the core folders include no Qt or GL header.
# Usage: check_includes.sh SOURCE_DIR
set -euo pipefail
cd "$1"

declare -A uses=(
    [common]=""
    [grformat]="common"
    [netformat]="common"
    [graph]="common"
    [embedding]="graph common"
    [flow]="embedding graph common"
    [builder]="graph grformat netformat common"
    [view]="graph common"
    [render]="view graph common"
    [shell]="builder flow embedding view grformat netformat graph common"
    [platform]="shell render view common"
    [batch]="shell render view netformat common"
    [generator]=""
)
# Folders whose code must build without any window system or GL.
core="common grformat netformat graph embedding flow builder view shell"

status=0
for folder in "${!uses[@]}"; do
    allowed=" $folder ${uses[$folder]} "
    while IFS= read -r line; do
        file=${line%%:*}
        # The folder named after `#include "`, without a process per line.
        included=${line#*#include \"}
        included=${included%%/*}
        if [[ "$allowed" != *" $included "* ]]; then
            echo "$file includes from $included/, which $folder/ may not use"
            status=1
        fi
    done < <(grep -HE '^#include "[^/"]+/' "$folder"/*.h "$folder"/*.cpp 2> /dev/null || true)
done
for folder in $core; do
    if grep -HE '^#include <(Q[A-Za-z]*|GL/[a-z]*\.h|EGL/[a-z]*\.h|png\.h)>' \
        "$folder"/*.h "$folder"/*.cpp 2> /dev/null; then
        echo "the core folder $folder/ includes a Qt, GL or PNG header"
        status=1
    fi
done
exit $status
