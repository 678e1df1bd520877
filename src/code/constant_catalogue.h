// The built-in constants, in the order they are entered (all reals).
// QV_BUILTIN_CONSTANT(name, value). A later entry of the same name hides an earlier one.
// clang-format off
#define QV_BUILTIN_CONSTANTS(X) \
  X(self, -1) X(other, -2) X(all, -3) X(noone, -4) X(global, -5) X(local, -7) X(true, 1) \
  X(false, 0) X(pi, 3.141592653589793) X(pr_pointlist, 1) X(pr_linelist, 2) X(pr_linestrip, 3) \
  X(pr_trianglelist, 4) X(pr_trianglestrip, 5) X(pr_trianglefan, 6) X(c_aqua, 16776960) \
  X(c_black, 0) X(c_blue, 16711680) X(c_dkgray, 4210752) X(c_fuchsia, 16711935) \
  X(c_gray, 8421504) X(c_green, 32768) X(c_lime, 65280) X(c_ltgray, 12632256) X(c_maroon, 128) \
  X(c_navy, 8388608) X(c_olive, 32896) X(c_purple, 8388736) X(c_red, 255) X(c_silver, 12632256) \
  X(c_teal, 8421376) X(c_white, 16777215) X(c_yellow, 65535) X(c_orange, 4235519) X(bm_normal, 0) \
  X(bm_add, 1) X(bm_max, 2) X(bm_subtract, 3) X(bm_zero, 1) X(bm_one, 2) X(bm_src_color, 3) \
  X(bm_inv_src_color, 4) X(bm_src_alpha, 5) X(bm_inv_src_alpha, 6) X(bm_dest_alpha, 7) \
  X(bm_inv_dest_alpha, 8) X(bm_dest_color, 9) X(bm_inv_dest_color, 10) X(bm_src_alpha_sat, 11) \
  X(se_none, 0) X(se_chorus, 1) X(se_echo, 2) X(se_flanger, 4) X(se_gargle, 8) X(se_reverb, 16) \
  X(se_compressor, 32) X(se_equalizer, 64) X(fa_left, 0) X(fa_center, 1) X(fa_right, 2) \
  X(fa_top, 0) X(fa_middle, 1) X(fa_bottom, 2) X(mb_any, -1) X(mb_none, 0) X(mb_left, 1) \
  X(mb_right, 2) X(mb_middle, 3) X(vk_nokey, 0) X(vk_anykey, 1) X(vk_enter, 13) X(vk_return, 13) \
  X(vk_shift, 16) X(vk_control, 17) X(vk_alt, 18) X(vk_escape, 27) X(vk_space, 32) \
  X(vk_backspace, 8) X(vk_tab, 9) X(vk_pause, 19) X(vk_printscreen, 44) X(vk_left, 37) \
  X(vk_right, 39) X(vk_up, 38) X(vk_down, 40) X(vk_home, 36) X(vk_end, 35) X(vk_delete, 46) \
  X(vk_insert, 45) X(vk_pageup, 33) X(vk_pagedown, 34) X(vk_f1, 112) X(vk_f2, 113) X(vk_f3, 114) \
  X(vk_f4, 115) X(vk_f5, 116) X(vk_f6, 117) X(vk_f7, 118) X(vk_f8, 119) X(vk_f9, 120) \
  X(vk_f10, 121) X(vk_f11, 122) X(vk_f12, 123) X(vk_numpad0, 96) X(vk_numpad1, 97) \
  X(vk_numpad2, 98) X(vk_numpad3, 99) X(vk_numpad4, 100) X(vk_numpad5, 101) X(vk_numpad6, 102) \
  X(vk_numpad7, 103) X(vk_numpad8, 104) X(vk_numpad9, 105) X(vk_divide, 111) X(vk_multiply, 106) \
  X(vk_subtract, 109) X(vk_add, 107) X(vk_decimal, 110) X(vk_lshift, 160) X(vk_lcontrol, 162) \
  X(vk_lalt, 164) X(vk_rshift, 161) X(vk_rcontrol, 163) X(vk_ralt, 165) X(ev_create, 0) \
  X(ev_destroy, 1) X(ev_step, 3) X(ev_alarm, 2) X(ev_keyboard, 5) X(ev_mouse, 6) \
  X(ev_collision, 4) X(ev_other, 7) X(ev_draw, 8) X(ev_keypress, 9) X(ev_keyrelease, 10) \
  X(ev_trigger, 11) X(ev_left_button, 0) X(ev_right_button, 1) X(ev_middle_button, 2) \
  X(ev_no_button, 3) X(ev_left_press, 4) X(ev_right_press, 5) X(ev_middle_press, 6) \
  X(ev_left_release, 7) X(ev_right_release, 8) X(ev_middle_release, 9) X(ev_mouse_enter, 10) \
  X(ev_mouse_leave, 11) X(ev_global_press, 12) X(ev_global_release, 13) X(ev_joystick1_left, 16) \
  X(ev_joystick1_right, 17) X(ev_joystick1_up, 18) X(ev_joystick1_down, 19) \
  X(ev_joystick1_button1, 21) X(ev_joystick1_button2, 22) X(ev_joystick1_button3, 23) \
  X(ev_joystick1_button4, 24) X(ev_joystick1_button5, 25) X(ev_joystick1_button6, 26) \
  X(ev_joystick1_button7, 27) X(ev_joystick1_button8, 28) X(ev_joystick2_left, 31) \
  X(ev_joystick2_right, 32) X(ev_joystick2_up, 33) X(ev_joystick2_down, 34) \
  X(ev_joystick2_button1, 36) X(ev_joystick2_button2, 37) X(ev_joystick2_button3, 38) \
  X(ev_joystick2_button4, 39) X(ev_joystick2_button5, 40) X(ev_joystick2_button6, 41) \
  X(ev_joystick2_button7, 42) X(ev_joystick2_button8, 43) X(ev_global_left_button, 50) \
  X(ev_global_right_button, 51) X(ev_global_middle_button, 52) X(ev_global_left_press, 53) \
  X(ev_global_right_press, 54) X(ev_global_middle_press, 55) X(ev_global_left_release, 56) \
  X(ev_global_right_release, 57) X(ev_global_middle_release, 58) X(ev_mouse_wheel_up, 60) \
  X(ev_mouse_wheel_down, 61) X(ev_outside, 0) X(ev_boundary, 1) X(ev_game_start, 2) \
  X(ev_game_end, 3) X(ev_room_start, 4) X(ev_room_end, 5) X(ev_no_more_lives, 6) \
  X(ev_animation_end, 7) X(ev_end_of_path, 8) X(ev_no_more_health, 9) X(ev_user0, 10) \
  X(ev_user1, 11) X(ev_user2, 12) X(ev_user3, 13) X(ev_user4, 14) X(ev_user5, 15) X(ev_user6, 16) \
  X(ev_user7, 17) X(ev_user8, 18) X(ev_user9, 19) X(ev_user10, 20) X(ev_user11, 21) \
  X(ev_user12, 22) X(ev_user13, 23) X(ev_user14, 24) X(ev_user15, 25) X(ev_close_button, 30) \
  X(ev_step_normal, 0) X(ev_step_begin, 1) X(ev_step_end, 2) X(ty_real, 0) X(ty_string, 1) \
  X(dll_cdecl, 0) X(dll_stdcall, 1) X(fa_readonly, 1) X(fa_hidden, 2) X(fa_sysfile, 4) \
  X(fa_volumeid, 8) X(fa_directory, 16) X(fa_archive, 32) X(cr_default, 0) X(cr_none, -1) \
  X(cr_arrow, -2) X(cr_arrrow, -2) X(cr_cross, -3) X(cr_beam, -4) X(cr_size_nesw, -6) \
  X(cr_size_ns, -7) X(cr_size_nwse, -8) X(cr_size_we, -9) X(cr_uparrow, -10) X(cr_hourglass, -11) \
  X(cr_drag, -12) X(cr_nodrop, -13) X(cr_hsplit, -14) X(cr_vsplit, -15) X(cr_multidrag, -16) \
  X(cr_sqlwait, -17) X(cr_no, -18) X(cr_appstart, -19) X(cr_help, -20) X(cr_handpoint, -21) \
  X(cr_size_all, -22) X(pt_shape_pixel, 0) X(pt_shape_disk, 1) X(pt_shape_square, 2) \
  X(pt_shape_line, 3) X(pt_shape_star, 4) X(pt_shape_circle, 5) X(pt_shape_ring, 6) \
  X(pt_shape_sphere, 7) X(pt_shape_flare, 8) X(pt_shape_spark, 9) X(pt_shape_explosion, 10) \
  X(pt_shape_cloud, 11) X(pt_shape_smoke, 12) X(pt_shape_snow, 13) X(ps_distr_linear, 0) \
  X(ps_distr_gaussian, 1) X(ps_distr_invgaussian, 2) X(ps_shape_rectangle, 0) \
  X(ps_shape_ellipse, 1) X(ps_shape_diamond, 2) X(ps_shape_line, 3) X(ps_force_constant, 0) \
  X(ps_force_linear, 1) X(ps_force_quadratic, 2) X(ps_deflect_vertical, 0) \
  X(ps_deflect_horizontal, 1) X(ps_change_all, 0) X(ps_change_shape, 1) X(ps_change_motion, 2) \
  X(ef_explosion, 0) X(ef_ring, 1) X(ef_ellipse, 2) X(ef_firework, 3) X(ef_smoke, 4) \
  X(ef_smokeup, 5) X(ef_star, 6) X(ef_spark, 7) X(ef_flare, 8) X(ef_cloud, 9) X(ef_rain, 10) \
  X(ef_snow, 11)
// clang-format on
