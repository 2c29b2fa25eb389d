// A netapi32.dll that loads but has no Netbios, for the binding's missing-entry path.
// One export keeps it an ordinary library with an export table.
extern "C" __declspec(dllexport) int NotNetbios() {
    return 0;
}
