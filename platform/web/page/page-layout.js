// Where the picture and the touch controls go, as CSS variables (pixels) and a layout name on
// the body. The picture always keeps its 4:3 shape.
// - plain: no touch controls; the picture takes the largest 4:3 box of the window.
// - sides: a phone held sideways; the picture keeps the whole height, the controls take the
//   margins left and right, a thumb each.
// - below: held upright; the picture on top, the controls in the space under it.
// - over: a tablet, whose screen leaves no margin worth the name; the picture as large as it
//   goes, the controls laid over its edges, translucent.

// The narrowest side that holds two thumb-sized buttons abreast and a stick.
const SIDE_MIN = 150;
// The least space under an upright picture that holds the controls.
const BELOW_MIN = 220;
// How far controls laid over the picture reach in from its edges.
const OVER_WIDTH = {least: 160, share: 0.2, most: 240};

function box(x, y, width, height) {
  return {x, y, width, height};
}

function arrange(width, height, touch) {
  const fitted = Math.min(width, height * 4 / 3);
  const picture = box((width - fitted) / 2, (height - fitted * 3 / 4) / 2, fitted, fitted * 3 / 4);
  if (!touch) return {name: 'plain', picture};
  if (width >= height && picture.x >= SIDE_MIN) {
    const side = picture.x;
    return {name: 'sides', picture, left: box(0, 0, side, height),
            right: box(width - side, 0, side, height)};
  }
  if (width < height && height - picture.height >= BELOW_MIN) {
    const top = picture.height;
    return {name: 'below', picture: box(0, 0, width, top),
            left: box(0, top, width / 2, height - top),
            right: box(width / 2, top, width / 2, height - top)};
  }
  const reach = Math.min(Math.max(picture.width * OVER_WIDTH.share, OVER_WIDTH.least),
                         OVER_WIDTH.most, width / 2);
  return {name: 'over', picture, left: box(picture.x, picture.y, reach, picture.height),
          right: box(picture.x + picture.width - reach, picture.y, reach, picture.height)};
}

function setBox(style, name, area) {
  for (const [key, value] of Object.entries(area)) style.setProperty(`--${name}-${key}`, value + 'px');
}

// Lays the page out for the window's size now; `touch`: the touch controls are shown.
export function layOut(touch) {
  const layout = arrange(window.innerWidth, window.innerHeight, touch);
  const style = document.documentElement.style;
  document.body.dataset.layout = layout.name;
  setBox(style, 'picture', layout.picture);
  if (layout.left) {
    setBox(style, 'left', layout.left);
    setBox(style, 'right', layout.right);
  }
}
