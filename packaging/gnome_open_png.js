// Opens the PNG picture ARGV[0] with gdk-pixbuf, as GNOME's image viewer
// and file manager do, and writes what it decoded to ARGV[1] (a PNG of its
// own making) for comparison. Fails where gdk-pixbuf cannot read it.
const { GdkPixbuf } = imports.gi;
GdkPixbuf.Pixbuf.new_from_file(ARGV[0]).savev(ARGV[1], 'png', [], []);
