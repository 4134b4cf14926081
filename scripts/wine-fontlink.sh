#!/bin/sh
# Links the faces Wine draws dialogs and controls with to a CJK font, so that
# Chinese, Japanese and Korean letters show where those faces lack them (the
# way Windows links its own faces). Cyrillic is in the faces themselves.
#
#   wine-fontlink.sh LOADER     with WINEPREFIX set; LOADER is wine or wine64
set -e
loader="$1"
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
# In a 64-bit prefix 32-bit programs read a registry view of their own.
for view in "" /reg:32; do
    for face in "MS Sans Serif" "Microsoft Sans Serif" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "DejaVu Sans"; do
        $loader reg add "$key" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" \
            /f $view >/dev/null 2>&1 || true
    done
done
wineserver -w
