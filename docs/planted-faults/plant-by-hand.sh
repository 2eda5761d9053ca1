#!/bin/bash
# plant-by-hand.sh NN... : plants faults in the current tree (adapted where the patch no longer applies)
cd "$(dirname "$0")/../.."
for n in "$@"; do
  case $n in
    05) sed -i "58s/c <= 0xFF/c < 0xFF/" src/support/DiagnosticLog.cpp ;;
    06) sed -i "172s/    support::LogLine(line);/    if (!line.empty()) support::LogLine(line);/" src/dialogs/RemoteDialogBase.cpp ;;
    10) sed -i '27s/.*/    std::wstring quoted = raw;/' src/server/Registration.cpp ;;
    11) sed -i '44{h;d};46G' src/support/LocaleFolder.cpp ;;
    13) sed -i '10s/E_POINTER/E_INVALIDARG/' src/server/CFarlinkUI.cpp ;;
    17) sed -i '39s/10000/5000/' src/dialogs/RemoteConnectionStatus.h ;;
    *) git apply docs/planted-faults/$n-*.patch || echo "apply $n failed" ;;
  esac
done
git diff --stat -- src lingua
