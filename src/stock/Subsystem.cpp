// The stock subsystem; its files arrive beside this one.
namespace stock {}
