// Keeps lapiro_ui a valid library while no window exists yet.
namespace lapiro::ui {
int placeholder() { return 0; }
}  // namespace lapiro::ui
