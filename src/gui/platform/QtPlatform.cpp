// Anchor of the Qt platform library; the adapters live beside it.
namespace tavrel::qt {
int PlatformLibraryVersion() { return 1; }
}  // namespace tavrel::qt
