// The reports subsystem; its files arrive beside this one.
namespace reports {}
