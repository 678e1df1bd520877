// The catalogue of built-in variables, in registration order: the position is the variable id.
// QV_BUILTIN_VARIABLE(name, writable). Expanded by builtin_variables.cpp; never reorder: ids are
// fixed by this order.
// clang-format off
#define QV_BUILTIN_VARIABLES(X) \
  /* program-wide */ \
  X(argument_relative, false) X(argument, true) \
  X(argument0, true) X(argument1, true) X(argument2, true) X(argument3, true) \
  X(argument4, true) X(argument5, true) X(argument6, true) X(argument7, true) \
  X(argument8, true) X(argument9, true) X(argument10, true) X(argument11, true) \
  X(argument12, true) X(argument13, true) X(argument14, true) X(argument15, true) \
  X(room, true) X(room_first, false) X(room_last, false) X(transition_kind, true) \
  X(transition_steps, true) X(score, true) X(lives, true) X(health, true) X(game_id, false) \
  X(working_directory, false) X(temp_directory, false) X(program_directory, false) \
  X(instance_count, false) X(instance_id, false) X(room_width, false) X(room_height, false) \
  X(room_caption, true) X(room_speed, true) X(room_persistent, true) X(background_color, true) \
  X(background_showcolor, true) X(background_visible, true) X(background_foreground, true) \
  X(background_index, true) X(background_x, true) X(background_y, true) \
  X(background_width, false) X(background_height, false) X(background_htiled, true) \
  X(background_vtiled, true) X(background_xscale, true) X(background_yscale, true) \
  X(background_hspeed, true) X(background_vspeed, true) X(background_blend, true) \
  X(background_alpha, true) X(view_enabled, true) X(view_current, false) X(view_visible, true) \
  X(view_xview, true) X(view_yview, true) X(view_wview, true) X(view_hview, true) \
  X(view_xport, true) X(view_yport, true) X(view_wport, true) X(view_hport, true) \
  X(view_angle, true) X(view_hborder, true) X(view_vborder, true) X(view_hspeed, true) \
  X(view_vspeed, true) X(view_object, true) X(mouse_x, false) X(mouse_y, false) \
  X(mouse_button, true) X(mouse_lastbutton, true) X(keyboard_key, true) \
  X(keyboard_lastkey, true) X(keyboard_lastchar, true) X(keyboard_string, true) \
  X(cursor_sprite, true) X(show_score, true) X(show_lives, true) X(show_health, true) \
  X(caption_score, true) X(caption_lives, true) X(caption_health, true) X(fps, false) \
  X(current_time, false) X(current_year, false) X(current_month, false) X(current_day, false) \
  X(current_weekday, false) X(current_hour, false) X(current_minute, false) \
  X(current_second, false) X(event_type, false) X(event_number, false) X(event_object, false) \
  X(event_action, false) X(secure_mode, false) X(debug_mode, false) X(error_occurred, true) \
  X(error_last, true) X(quorvane_version, false) \
  /* per instance */ \
  X(x, true) X(y, true) X(xprevious, true) X(yprevious, true) X(xstart, true) X(ystart, true) \
  X(hspeed, true) X(vspeed, true) X(direction, true) X(speed, true) X(friction, true) \
  X(gravity, true) X(gravity_direction, true) X(object_index, false) X(id, false) \
  X(alarm, true) X(solid, true) X(visible, true) X(persistent, true) X(depth, true) \
  X(bbox_left, false) X(bbox_right, false) X(bbox_top, false) X(bbox_bottom, false) \
  X(sprite_index, true) X(image_index, true) X(image_single, true) X(image_number, false) \
  X(sprite_width, false) X(sprite_height, false) X(sprite_xoffset, false) \
  X(sprite_yoffset, false) X(image_xscale, true) X(image_yscale, true) X(image_angle, true) \
  X(image_alpha, true) X(image_blend, true) X(image_speed, true) X(mask_index, true) \
  X(path_index, false) X(path_position, true) X(path_positionprevious, true) \
  X(path_speed, true) X(path_scale, true) X(path_orientation, true) X(path_endaction, true) \
  X(timeline_index, true) X(timeline_position, true) X(timeline_speed, true) \
  X(timeline_running, true) X(timeline_loop, true)
// clang-format on
