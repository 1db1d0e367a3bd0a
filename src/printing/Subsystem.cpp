// The printing subsystem; its files arrive beside this one.
namespace printing {}
