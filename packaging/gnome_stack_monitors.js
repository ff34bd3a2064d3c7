// Places GNOME Shell's monitors one above the other, in the order it lists
// them, the first on top and primary, for this session only (method 1,
// temporary), each in its current mode.
const { Gio, GLib } = imports.gi;
const call = (method, args, type) => Gio.DBus.session.call_sync('org.gnome.Mutter.DisplayConfig',
    '/org/gnome/Mutter/DisplayConfig', 'org.gnome.Mutter.DisplayConfig', method, args,
    type ? new GLib.VariantType(type) : null, Gio.DBusCallFlags.NONE, -1, null);
const [serial, monitors] = call('GetCurrentState', null,
    '(ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv})').deepUnpack();
let top = 0;
const logical = monitors.map(([[connector], modes], index) => {
    const [id, , height] = modes.find(mode => mode[6]['is-current']?.deepUnpack());
    const placed = [0, top, 1.0, 0, index === 0, [[connector, id, {}]]];
    top += height;
    return placed;
});
call('ApplyMonitorsConfig', new GLib.Variant('(uua(iiduba(ssa{sv}))a{sv})', [serial, 1, logical, {}]), null);
